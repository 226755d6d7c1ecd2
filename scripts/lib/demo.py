#!/usr/bin/env python3
"""Drives the demo: an out-of-date installation, a new release served by nginx
on loopback, Launcher.exe updating it under Wine, and a login typed with xdotool
that starts the stand-in lobby. The stand-in web service records the
launcher's requests. Prints what happened and where the screenshots are."""

import argparse
import os
import shutil
import subprocess
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
sys.path.insert(0, os.path.join(root, "standins"))
import launcher_install as li  # noqa: E402
import webservice as ws  # noqa: E402

ACCOUNT = "player01"
PASSWORD = "s3cret pass"


def screenshot(out, name, window="root"):
    path = os.path.abspath(os.path.join(out, name))
    subprocess.run(["import", "-window", window, path], check=False)
    print("screenshot: %s" % path, flush=True)
    return path


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), capture_output=True, text=True).stdout


def launcher_window():
    ids = xdotool("search", "--name", "^Vedu$").split()
    return ids[0] if ids else None


def report_web_requests(service):
    """Prints what the web service received; False when the logo page or a
    correctly signed statistics report is missing."""
    lines = service.requests()
    print("the web service received %d requests:" % len(lines))
    for line in lines:
        print("  " + line)
    targets = [ws.target_of(line) for line in lines]
    logo = any(t.endswith("/logo.html") for t in targets)
    reports = [t for t in targets if "/DataSubmitAD.aspx?" in t]
    signed = bool(reports) and all(ws.check_statistics(t) for t in reports)
    print("logo page requested: %s; statistics report with a correct signature: %s" %
          (logo, signed))
    return logo and signed


def make_release(install, release):
    """The next release: the same programs and skin plus new game data."""
    shutil.copytree(install, release)
    os.makedirs(os.path.join(release, "Data"), exist_ok=True)
    with open(os.path.join(release, "Data", "maps.dat"), "wb") as f:
        f.write(os.urandom(3 * 1024 * 1024))
    with open(os.path.join(release, "Data", "rules.txt"), "wb") as f:
        f.write(b"season 7 rules\r\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--publish", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    shutil.rmtree(out, ignore_errors=True)
    install = os.path.join(out, "install")
    release = os.path.join(out, "release")
    mirror_dir = os.path.join(out, "mirror")
    li.make_installation(args.build, install)
    make_release(install, release)
    li.publish([args.publish], release, mirror_dir, display="1.7.0", build=args.build)
    stamp = li.stamp_of(mirror_dir)
    print("published release 1.7.0 (stamp %s) to %s" % (stamp.decode(), mirror_dir), flush=True)

    # About 500 KB/s, so the progress of the big file is visible.
    mirror = li.start_nginx(mirror_dir, rate="500k")
    print("nginx (pid %d) serves %s at %s" % (mirror.pid, mirror_dir, mirror.url), flush=True)
    service = ws.open_service(os.path.join(out, "webservice.log"))
    wine_run = os.path.join(root, "scripts", "wine-run")
    launcher = li.start_launcher(wine_run, install)
    try:
        if not li.wait_for(launcher_window, 30, 0.2):
            print("the launcher window did not appear", file=sys.stderr)
            return 1
        time.sleep(3.0)
        screenshot(out, "1-updating.png")
        # The launcher alone, mid-update: the picture in the README.
        screenshot(out, "launcher-updating.png", launcher_window())
        ver_ini = os.path.join(install, "ver.ini")
        updated = li.wait_for(lambda: (li.read(ver_ini) or b"").strip() == stamp, 120, 0.2)
        print("update %s; ver.ini = %r" % ("finished" if updated else "did NOT finish",
                                           li.read(ver_ini)), flush=True)
        print("new file present: %s" % os.path.exists(os.path.join(install, "Data", "maps.dat")))
        time.sleep(1.0)
        screenshot(out, "2-ready.png")

        window = launcher_window()
        xdotool("windowactivate", "--sync", window)
        # The password box has the focus after start; Shift+Tab reaches the
        # account box, Enter there moves on to the password box.
        xdotool("key", "--window", window, "shift+Tab")
        time.sleep(0.3)
        # An earlier run leaves its account in the box: empty it first.
        xdotool("key", "End")
        xdotool("key", "--repeat", "64", "--delay", "5", "BackSpace")
        xdotool("type", "--delay", "30", ACCOUNT)
        xdotool("key", "Return")
        time.sleep(0.3)
        # A remembered password fills the box too: empty it the same way.
        xdotool("key", "End")
        xdotool("key", "--repeat", "64", "--delay", "5", "BackSpace")
        xdotool("type", "--delay", "30", PASSWORD)
        screenshot(out, "3-typed.png")
        xdotool("key", "Return")

        recorded = os.path.join(install, "LobbyCommandLine.txt")
        started = li.wait_for(lambda: li.read(recorded), 20, 0.2)
        time.sleep(1.0)
        screenshot(out, "4-lobby.png")
        if not started:
            print("the lobby was not started", file=sys.stderr)
            return 1
        print("the lobby received: %s" % li.read(recorded).decode("gbk", "replace"))
        login = (li.read(os.path.join(install, "LobbyLogin.txt")) or b"").decode("gbk", "replace")
        print(login)
        quit_ok = li.wait_for(lambda: launcher.poll() is not None, 10)
        print("launcher exited after the login: %s" % quit_ok)
        if "account=%s\n" % ACCOUNT not in login.replace("\r\n", "\n"):
            print("the lobby did not get the account %s" % ACCOUNT, file=sys.stderr)
            return 1
        if not report_web_requests(service):
            print("the web service did not get the start-up requests", file=sys.stderr)
            return 1
        return 0
    finally:
        li.stop_programs_in(install)
        mirror.stop()
        service.stop()


if __name__ == "__main__":
    sys.exit(main())
