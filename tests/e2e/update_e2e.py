#!/usr/bin/env python3
"""The update as a player gets it: Launcher.exe under Wine brings an
out-of-date installation made with `publish` up to date from the loopback
mirror, the next start needs one request, and a new Launcher.exe in a release
ends with the stand-in lobby putting it in place and starting it, also when
the start that downloaded it failed later. small_disk.py adds a volume
without room.

  update_e2e.py --build BUILD_DIR --wine-run scripts/wine-run \
                --publish "scripts/wine-run BUILD_DIR/tools/publish/publish.exe" \
                [--shots DIR]

With --shots the first update is slowed down and the screen is captured
every 0.4 s into DIR (update-NN.png), so the texts can be seen in order.

Needs a display (DISPLAY) and the port of the built-in mirror (18080).
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402
import small_disk  # noqa: E402

check, write = li.check, li.write


shot_count = [0]


def capture(folder):
    """Saves a screenshot of the display into FOLDER (nothing without one)."""
    if folder:
        os.makedirs(folder, exist_ok=True)
        shot_count[0] += 1
        path = os.path.join(folder, "update-%02d.png" % shot_count[0])
        subprocess.run(["import", "-window", "root", path], stderr=subprocess.DEVNULL)
    return False


def run(args):
    work = tempfile.mkdtemp(prefix="launcher-e2e-")
    install = os.path.join(work, "install")
    mirror = None
    try:
        # The release: the same programs, new game files in sub-folders.
        li.make_installation(args.build, install)
        release = li.Release(args, work)
        write(release.path("data", "a.bin"), os.urandom(300000))
        write(release.path("data", "sub", "b.txt"), b"new text\r\n")
        write(release.path("empty.dat"), b"")
        write(os.path.join(install, "data", "a.bin"), b"old")
        stamp = release.publish()
        mirror = li.start_mirror(release.mirror_dir)

        if args.shots:
            mirror.set_fault("plaza/data/a.bin", "trickle")
        launcher = li.start_launcher(args.wine_run, install)
        updated = li.wait_for(
            lambda: capture(args.shots) or li.read(os.path.join(install, "ver.ini")) == stamp,
            90, 0.4 if args.shots else 0.05)
        li.wait_for(lambda: False, 1)
        capture(args.shots)
        mirror.clear_faults()
        li.stop_launcher(launcher, install)
        check(updated, "ver.ini holds the new stamp")
        verify = subprocess.run(release.command + ["verify-install", install,
                                                   os.path.join(release.mirror_dir, "file.html")],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        check(verify.returncode == 0, "publish verify-install agrees with the installation")
        leftovers = [n for _, _, files in os.walk(install) for n in files if n.endswith(".tmp")]
        check(not leftovers, "no temporary files left (%s)" % leftovers)

        # A current installation: straight to the ready state, one request
        # (and release.sig with it when the build checks signatures).
        mirror.clear_faults()
        launcher = li.start_launcher(args.wine_run, install)
        li.wait_for(lambda: mirror.request_log(), 60)
        li.wait_for(lambda: False, 3)
        li.stop_launcher(launcher, install)
        paths = [r["path"] for r in mirror.request_log()]
        signed = ["/vedu/release.sig"] if li.signing_args(args.build) else []
        check(paths == ["/vedu/ver.html"] + signed, "the next start makes one request (%s)" % paths)
        check(os.path.exists(os.path.join(install, "release.ini")) == bool(signed),
              "the accepted release number is kept only by a build with keys")

        # Killed in the middle of a download: the old file stays whole, and
        # the next start finishes the update from a server that ignores
        # ranges.
        old_a = li.read(os.path.join(install, "data", "a.bin"))
        write(release.path("data", "a.bin"), os.urandom(2000000))
        stamp = release.publish("2.5.1")
        mirror.clear_faults()
        mirror.set_fault("plaza/data/a.bin", "trickle")
        launcher = li.start_launcher(args.wine_run, install)
        partial = os.path.join(install, "data", "a.bin.tmp")
        started = li.wait_for(lambda: (li.read(partial) or b"") != b"", 60)
        li.stop_launcher(launcher, install)
        check(started, "the download had begun when the launcher was killed")
        check(li.read(os.path.join(install, "data", "a.bin")) == old_a,
              "the target is intact after the kill")
        mirror.clear_faults()
        launcher = li.start_launcher(args.wine_run, install)
        updated = li.wait_for(lambda: li.read(os.path.join(install, "ver.ini")) == stamp, 90)
        li.stop_launcher(launcher, install)
        check(updated and li.read(release.path("data", "a.bin")) ==
              li.read(os.path.join(install, "data", "a.bin")), "the next start completed it")
        # It asked for the rest; this mirror ignores ranges and sent the
        # whole file, which took the partial one's place.
        asked = [r["range"] for r in mirror.request_log() if r["path"].endswith("/data/a.bin")]
        check(len(asked) == 1 and asked[0].startswith("bytes="),
              "the next start asked for the rest (%s)" % asked)

        # A new launcher, and a file after it that fails on the first start:
        # the new launcher waits, nothing hands it over, the old one stays.
        with open(os.path.join(args.build, "Launcher.exe"), "rb") as f:
            new_launcher = f.read() + b"\0" * 4096
        write(release.path("Launcher.exe"), new_launcher)
        write(release.path("zz-late.bin"), b"listed after the launcher")
        stamp = release.publish("2.6.0")
        mirror.clear_faults()
        mirror.set_fault("plaza/zz-late.bin", "404")
        launcher = li.start_launcher(args.wine_run, install)
        failed = li.wait_for(lambda: "/vedu/plaza/zz-late.bin" in
                             [r["path"] for r in mirror.request_log()], 90)
        li.wait_for(lambda: False, 2)
        li.stop_launcher(launcher, install)
        check(failed and li.read(os.path.join(install, "Launcher.exe.tmp")) == new_launcher,
              "the first start downloaded the new launcher, then failed")
        check(li.read(os.path.join(install, "Launcher.exe")) != new_launcher and
              not os.path.exists(os.path.join(install, "handover.ini")),
              "nothing was handed over")

        # The next start hands it over: the lobby puts it in place and
        # starts it.
        mirror.clear_faults()
        launcher = li.start_launcher(args.wine_run, install)
        replaced = li.wait_for(
            lambda: li.read(os.path.join(install, "Launcher.exe")) == new_launcher, 90)
        check(replaced, "the lobby moved the new Launcher.exe into place")
        restarted = li.wait_for(
            lambda: [r["path"] for r in mirror.request_log()].count("/vedu/ver.html") >= 2, 60)
        check(restarted, "the new launcher started and asked for the version")
        command = li.read(os.path.join(install, "LobbyCommandLine.txt"))
        check(command == b"-Replace_PlazaUpdate", "the lobby was started with %r" % command)
        check(not os.path.exists(os.path.join(install, "Launcher.exe.tmp")),
              "no Launcher.exe.tmp left")
        check(li.wait_for(lambda: li.read(os.path.join(install, "ver.ini")) == stamp, 60) and
              not os.path.exists(os.path.join(install, "handover.ini")),
              "the new launcher saved the stamp and forgot the hand-over")
        launcher.wait(timeout=30)
        li.stop_programs_in(install)

        # The lobby cannot move the new file: the old launcher stays and runs.
        os.makedirs(os.path.join(install, "Launcher.exe.tmp"))
        mirror.clear_faults()
        lobby = subprocess.Popen([args.wine_run, os.path.join(install, "Lobby.exe"),
                                  "-Replace_PlazaUpdate"], cwd=install)
        restarted = li.wait_for(lambda: mirror.request_log(), 60)
        check(restarted, "the old launcher was started after a failed move")
        check(li.read(os.path.join(install, "Launcher.exe")) == new_launcher,
              "the launcher was kept when the move failed")
        lobby.wait(timeout=30)
    finally:
        li.stop_programs_in(install)
        if mirror:
            mirror.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if li.failures else 0


def main():
    args = li.parse_args(__doc__, lambda parser: parser.add_argument(
        "--shots", help="folder for screenshots of the first update"))
    run(args)
    small_disk.run(args)
    return 1 if li.failures else 0


if __name__ == "__main__":
    sys.exit(main())
