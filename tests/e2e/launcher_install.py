"""Shared by the update end-to-end test and its benchmark: an installation
folder made from a build tree, the Launcher.exe process under Wine, and the
mirror on the port the launcher has built in."""

import argparse
import os
import shlex
import shutil
import subprocess
import time

from mirror import Mirror
from nginx_mirror import NginxMirror

BUILT_IN_PORT = 18080  # the default built-in mirror http://127.0.0.1:18080/vedu/


def make_installation(build, folder):
    """Copies the programs and the skin package of BUILD into FOLDER."""
    os.makedirs(os.path.join(folder, "Res", "Launcher"), exist_ok=True)
    for name in ("Launcher.exe", "Lobby.exe"):
        shutil.copy2(os.path.join(build, name), os.path.join(folder, name))
    shutil.copy2(os.path.join(build, "Res", "Launcher", "Launcher.pkg"),
                 os.path.join(folder, "Res", "Launcher", "Launcher.pkg"))


def start_mirror(root, attempts=60, **options):
    """The mirror on the built-in port; waits while another run holds it.
    OPTIONS go to Mirror (require_via)."""
    for _ in range(attempts):
        try:
            return Mirror(root, BUILT_IN_PORT, **options).start()
        except OSError:
            time.sleep(0.5)
    raise RuntimeError("port %d stays busy" % BUILT_IN_PORT)


def start_nginx(root, rate="0"):
    """nginx on the built-in port over ROOT; waits while another run holds it.
    RATE limits each connection ("0": no limit, "4m": 4 MiB/s)."""
    return NginxMirror(root, BUILT_IN_PORT, rate=rate).start(attempts=120)


def publish(publish_cmd, release, mirror_dir, display="2.5.0", build=None, extra=()):
    subprocess.run(publish_cmd + ["make", release, mirror_dir, "--display-version", display]
                   + signing_args(build) + list(extra), check=True, stdout=subprocess.DEVNULL)


class Release:
    """A release folder under WORK that starts as a copy of the build's
    programs, and the mirror folder `publish` makes from it with the command
    of ARGS (--publish), signed when the build has demo keys."""

    def __init__(self, args, work):
        self.folder = os.path.join(work, "release")
        self.mirror_dir = os.path.join(work, "mirror")
        self.command = shlex.split(args.publish)
        self.build = args.build
        make_installation(args.build, self.folder)

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def publish(self, display="2.5.0"):
        """Makes the mirror from the release as it is now; returns its stamp."""
        publish(self.command, self.folder, self.mirror_dir, display, build=self.build)
        return stamp_of(self.mirror_dir)


def signing_args(build, key=1):
    """`publish make` options that sign with the build's demo key KEY (1 or 2),
    or none when the build was configured without demo keys. The release
    number is the time in milliseconds, so every release outranks the last."""
    path = os.path.join(build, "demo-keys", "release-%d.key" % key) if build else ""
    if not path or not os.path.exists(path):
        return []
    return ["--sign", path, "--release", str(int(time.time() * 1000))]


def stamp_of(mirror_dir):
    with open(os.path.join(mirror_dir, "ver.html"), "rb") as f:
        return f.read()[-20:]


def start_launcher(wine_run, folder):
    return subprocess.Popen([wine_run, os.path.join(folder, "Launcher.exe")], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop_launcher(launcher, folder):
    """Ends the launcher we started and whatever it started from FOLDER."""
    launcher.kill()
    launcher.wait()
    stop_programs_in(folder)


def wait_for(predicate, timeout, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def processes_in(folder):
    """Linux pids of the Windows programs started from FOLDER (the lobby
    restarts the launcher, so not every one is our child). FOLDER must be a
    unique temporary folder; its path is looked for in each command line, in
    the host's and in Wine's (Z:) spelling."""
    folder = os.path.abspath(folder)
    spellings = (folder.encode(), ("Z:" + folder.replace("/", "\\")).encode())
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read()
        except OSError:
            continue
        if any(s in cmdline for s in spellings):
            pids.append(int(entry))
    return pids


def stop_programs_in(folder):
    for pid in processes_in(folder):
        try:
            os.kill(pid, 9)
        except OSError:
            pass
    wait_for(lambda: not processes_in(folder), 10)


def parse_args(doc, extra=None):
    """The arguments every whole-program script takes (--build, --wine-run,
    --publish), with paths made absolute; EXTRA(parser) adds more."""
    parser = argparse.ArgumentParser(description=doc,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--publish", required=True)
    if extra:
        extra(parser)
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.wine_run = os.path.abspath(args.wine_run)
    return args


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


failures = []


def check(condition, what):
    """Prints one result line; the failures are kept in `failures`."""
    print("%s: %s" % ("ok  " if condition else "FAIL", what), flush=True)
    if not condition:
        failures.append(what)
