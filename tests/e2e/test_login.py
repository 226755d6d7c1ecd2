#!/usr/bin/env python3
"""Whole-program login run: Launcher.exe under Wine on a virtual display,
updating from a loopback mirror, then a player typing an account and a
password and pressing Enter.

  test_login.py --build BUILD_DIR [--account NAME] [--password TEXT]
                [--shots DIR] [--port 18080] [--publish PATH] [--keep]

BUILD_DIR is a Windows build tree (Launcher.exe, Lobby.exe,
Res/Launcher/Launcher.pkg, tools/publish/publish.exe). The mirror port must be the one the
launcher was built with (LAUNCHER_MIRROR_URL, 18080 by default). Without an
account or password, random ones are used, a password with a space in it, so
every run uses different accounts and a freshly published mirror.

Checked:
  1. the update reaches the ready state: the mirror's new file arrives and
     ver.ini holds the published stamp;
  2. after Enter the stand-in lobby received exactly the expected command
     line, and the launcher exited;
  3. the registry holds the account with the password scrambled (read with
     `wine reg query`);
  4. a second start brings account and password back: Enter alone logs in
     with them again.
Screenshots of every step go to --shots (default: a temporary folder that is
printed). Uses WINEPREFIX and DISPLAY from the environment; without DISPLAY a
private Xvfb and wineserver are started and stopped again.
"""

import argparse
import errno
import os
import random
import shutil
import string
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mirror import Mirror  # noqa: E402
import launcher_install as li  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LOGIN_KEY = r"HKCU\Software\DaRidaZorozo\Lobby"
HIVE_KEY = r"HKEY_CURRENT_USER\Software\DaRidaZorozo\Lobby"
SERVER_ADDR = "127.0.0.1"  # the built-in default server address

# Where the player clicks, in window coordinates of res/Launcher.xml's layout
# (760 x 500, the login form on the right).
ACCOUNT_BOX = (600, 116)
PASSWORD_BOX = (615, 160)
REMEMBER_PASSWORD = (510, 198)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)
    print("ok: " + message)


class Session:
    """One Wine prefix and display for the whole run."""

    def __init__(self, args):
        self.args = args
        self.env = dict(os.environ)
        self.env.setdefault("WINEPREFIX", os.path.join(REPO, "build", "e2e-wine"))
        self.env.setdefault("WINEDEBUG", "-all")
        self.env.setdefault("WINEDLLOVERRIDES", "mshtml=d;mscoree=d")
        self.env["WINEARCH"] = "win32"
        self.env["LC_ALL"] = "zh_CN.GBK"
        # The lobby stand-in closes itself, so the second start is not
        # taken for a running lobby.
        self.env["LOBBY_EXIT_AFTER_MS"] = "1500"
        self.xvfb = None
        self.shot_index = 0
        self.processes = []

    def __enter__(self):
        if not self.env.get("DISPLAY"):
            n = 90
            while os.path.exists("/tmp/.X11-unix/X%d" % n) or os.path.exists("/tmp/.X%d-lock" % n):
                n += 1
            self.xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24",
                                          "-nolisten", "tcp"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = ":%d" % n
            for _ in range(100):
                if os.path.exists("/tmp/.X11-unix/X%d" % n):
                    break
                time.sleep(0.1)
        if not os.path.exists(os.path.join(self.env["WINEPREFIX"], "system.reg")):
            subprocess.call(["wineboot", "-i"], env=self.env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.call(["wineserver", "-w"], env=self.env)
        subprocess.call(["wineserver", "-p"], env=self.env)
        # Start the prefix's services now, detached from any output pipe.
        subprocess.call(["wineboot"], env=self.env, stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        # A display and Wine given by the caller (a whole test run) stay up.
        if self.xvfb:
            subprocess.call(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
            self.xvfb.terminate()
            self.xvfb.wait()

    def run(self, argv, **kw):
        return subprocess.run(argv, env=self.env, capture_output=True, **kw)

    def wine(self, *argv):
        """Runs a Wine command and returns its exit code and output. The output
        goes through a file: Wine's service processes inherit a pipe and
        would hold it open."""
        with tempfile.TemporaryFile() as out:
            code = subprocess.call(["wine"] + list(argv), env=self.env, stdout=out,
                                   stderr=subprocess.DEVNULL)
            out.seek(0)
            return code, out.read()

    def xdotool(self, *argv):
        # xdotool reads its arguments as UTF-8, whatever Wine's code page is.
        env = dict(self.env, LC_ALL="C.UTF-8")
        out = subprocess.run(["xdotool"] + [str(a) for a in argv], env=env, capture_output=True)
        return out.stdout.decode().strip()

    def screenshot(self, name):
        self.shot_index += 1
        path = os.path.join(self.args.shots, "%02d-%s.png" % (self.shot_index, name))
        self.run(["import", "-window", "root", path])
        print("screenshot: " + path)

    def reg_query(self, key):
        """The values of a key and of every key below it, as
        {key path: {name: (type, data)}}; empty when the key is missing.
        The whole tree is read at once because key names in GBK do not
        survive the trip through Wine's command line."""
        code, out = self.wine("reg", "query", key, "/s")
        tree = {}
        if code != 0:
            return tree
        values = None
        for line in out.decode("gbk", "replace").splitlines():
            if line.startswith("HKEY_"):
                values = tree.setdefault(line.strip(), {})
                continue
            parts = line.strip().split(None, 2)
            if values is not None and len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return tree


def wait_for(what, predicate, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.2)
    raise Failure("timed out waiting for " + what)


def publish_tool(args, build):
    """The publish command as a list, and how to write a path for it."""
    if args.publish:
        return [args.publish], lambda path: path
    wine_run = os.path.join(REPO, "scripts", "wine-run")
    exe = os.path.join(build, "tools", "publish", "publish.exe")
    return [wine_run, exe], lambda path: "Z:" + path.replace("/", "\\")


def make_mirror(publish, work, build):
    """A release with one new data file, published into a mirror folder."""
    release = os.path.join(work, "release")
    root = os.path.join(work, "mirror")
    data = os.path.join(release, "e2e")
    os.makedirs(data)
    token = "".join(random.choice(string.ascii_lowercase) for _ in range(12))
    name = "run-%s.txt" % token
    # Published without the objects, so the plain file itself is fetched and
    # a fault set on it is met.
    with open(os.path.join(data, name), "wb") as f:
        f.write(os.urandom(1400))
    version = "1.%d.%d" % (random.randint(0, 99), random.randint(0, 999))
    command, native_path = publish
    signing = li.signing_args(build)
    if signing:
        signing[1] = native_path(signing[1])
    subprocess.run(command + ["make", native_path(release), native_path(root), "--display-version",
                              version] + signing, check=True, stdout=subprocess.DEVNULL)
    li.without_objects(root)
    with open(os.path.join(root, "ver.html"), encoding="latin-1") as f:
        stamp = f.read().split()[-1]
    return root, os.path.join("e2e", name), stamp


def open_mirror(root, port):
    """The launcher's built-in mirror port is fixed: wait while another run
    holds it."""
    deadline = time.time() + 180
    while True:
        try:
            return Mirror(root, port=port)
        except OSError as e:
            if e.errno != errno.EADDRINUSE or time.time() > deadline:
                raise Failure("cannot serve the mirror on port %d: %s" % (port, e))
            time.sleep(2)


def install_folder(build, work):
    install = os.path.join(work, "install")
    os.makedirs(os.path.join(install, "Res", "Launcher"))
    for name in ("Launcher.exe", "Lobby.exe"):
        shutil.copy2(os.path.join(build, name), install)
    shutil.copy2(os.path.join(build, "Res", "Launcher", "Launcher.pkg"),
                 os.path.join(install, "Res", "Launcher"))
    return install


def start_launcher(session, install):
    # By its full path, so that launcher_install.stop_programs_in finds it: a
    # launcher left running makes the next one quit at its single-instance check.
    launcher = subprocess.Popen(["wine", os.path.join(install, "Launcher.exe")], cwd=install,
                                env=session.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    session.processes.append(launcher)
    window = wait_for("the launcher window",
                      lambda: session.xdotool("search", "--onlyvisible", "--name", "^Vedu$"), 60)
    return launcher, window.split()[0]


def wait_until_ready(install, new_file, stamp):
    def ready():
        ver = os.path.join(install, "ver.ini")
        return (os.path.exists(os.path.join(install, new_file)) and os.path.exists(ver)
                and stamp in open(ver, encoding="latin-1").read())
    wait_for("the update to finish", ready, 90)
    time.sleep(1.5)  # the ready state follows the saved stamp


def click(session, window, point):
    session.xdotool("mousemove", "--window", window, point[0], point[1])
    session.xdotool("click", 1)
    time.sleep(0.3)


def type_text(session, text):
    session.xdotool("type", "--delay", 60, text)
    time.sleep(0.3)


def lobby_record(install, timeout=30):
    path = os.path.join(install, "LobbyLogin.txt")
    wait_for("the lobby to record its login", lambda: os.path.exists(path), timeout)
    time.sleep(0.5)
    with open(os.path.join(install, "LobbyCommandLine.txt"), "rb") as f:
        command_line = f.read().decode("gbk")
    with open(path, "rb") as f:
        fields = dict(line.split("=", 1) for line in f.read().decode("gbk").splitlines() if line)
    return command_line, fields


def expect_login(session, install, launcher, account, password):
    command_line, fields = lobby_record(install)
    # Fresh start: the skin preselects line 0, matching the window's
    # defaults (fixed line 0, no automatic choice), and with no candidate
    # list the address is the built-in default.
    expected = "-Update_Over 0 0 %d %d %d %s %s %s" % (
        len(account.encode("gbk")), len(password.encode("gbk")), len(SERVER_ADDR), account,
        password, SERVER_ADDR)
    check(command_line == expected, "the lobby received %r" % command_line)
    check(fields.get("account") == account and fields.get("password") == password,
          "the lobby cut out account %r and password %r" % (account, password))
    try:
        launcher.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the launcher did not exit after the login")
    check(True, "the launcher exited")


def remove_records(install):
    for name in ("LobbyLogin.txt", "LobbyCommandLine.txt"):
        path = os.path.join(install, name)
        if os.path.exists(path):
            os.remove(path)


def wait_for_lobby_exit(session):
    wait_for("the lobby to close",
             lambda: not session.xdotool("search", "--onlyvisible", "--name", "^Lobby$"), 30)
    time.sleep(1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--account")
    parser.add_argument("--password")
    parser.add_argument("--shots")
    parser.add_argument("--port", type=int, default=18080)
    parser.add_argument("--publish",
                        help="a native publish tool (default: the build's publish.exe under Wine)")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    account = args.account or "e2e" + "".join(random.choice(string.digits) for _ in range(6))
    password = args.password or "p%d w%d" % (random.randint(100, 999), random.randint(10, 99))
    work = tempfile.mkdtemp(prefix="launcher-login-")
    args.shots = os.path.abspath(args.shots or os.path.join(work, "shots"))
    os.makedirs(args.shots, exist_ok=True)

    try:
        with Session(args) as session:
            root, new_file, stamp = make_mirror(publish_tool(args, build), work, build)
            install = install_folder(build, work)
            session.wine("reg", "delete", r"HKCU\Software\DaRidaZorozo", "/f")
            print("account %r, password %r, mirror stamp %s" % (account, password, stamp))

            with open_mirror(root, args.port):
                launcher, window = start_launcher(session, install)
                wait_until_ready(install, new_file.replace("/", os.sep), stamp)
                check(True, "the update reached the ready state")
                session.screenshot("ready")

                click(session, window, ACCOUNT_BOX)
                # xdotool can lose the first character it has to map to a
                # spare key; spend that on a character that is then erased.
                type_text(session, "\u6c49")
                session.xdotool("key", "BackSpace", "BackSpace")
                type_text(session, account)
                click(session, window, REMEMBER_PASSWORD)
                # Enter counts in the password box, so it is typed into last.
                click(session, window, PASSWORD_BOX)
                type_text(session, password)
                session.screenshot("typed")
                session.xdotool("key", "Return")
                expect_login(session, install, launcher, account, password)
                session.screenshot("lobby")

                saved_keys = session.reg_query(LOGIN_KEY)
                last = saved_keys.get(HIVE_KEY + r"\LastLogonAccount", {})
                check(last.get("UserAccount") == ("REG_SZ", account),
                      "the registry holds the account: %r" % (last.get("UserAccount"),))
                saved = last.get("UserPassword", ("", ""))[1]
                check(saved and password not in saved and password.replace(" ", "") not in saved,
                      "the password is stored scrambled: %r" % saved)
                check(last.get("SavePassWord") == ("REG_DWORD", "0x1"),
                      "remember-password is saved")
                own = saved_keys.get(HIVE_KEY + "\\LogonAccount\\" + account, {})
                check(own.get("UserAccount") == ("REG_SZ", account),
                      "the account has its own key")

                wait_for_lobby_exit(session)
                remove_records(install)
                launcher, window = start_launcher(session, install)
                time.sleep(2)
                session.screenshot("second-start")
                # Nothing typed: Enter in the focused password box logs in
                # with what the registry gave back. Until the update check has
                # finished the login is refused silently, so Enter is repeated.
                def press_enter():
                    session.xdotool("key", "Return")
                    time.sleep(1)
                    return os.path.exists(os.path.join(install, "LobbyLogin.txt"))
                wait_for("the second login", press_enter, 60)
                expect_login(session, install, launcher, account, password)
                check(True, "account and password came back from the registry")
                session.screenshot("second-login")
                wait_for_lobby_exit(session)
        print("PASS")
        return 0
    except Failure as e:
        print("FAIL: %s" % e)
        return 1
    finally:
        print("screenshots in " + args.shots)
        if not args.keep:
            for name in os.listdir(work):
                if os.path.join(work, name) != args.shots:
                    shutil.rmtree(os.path.join(work, name), ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
