"""The update on a volume without room, for update_e2e.py: an installation on
a small tmpfs (mounting one needs root, which the Wine test wrapper gives).

A release that does not fit is not downloaded at all and every file stays.
A download that fills the volume part way (another program takes the room
while it runs) deletes its .tmp; once there is room again, the next start
completes the update.
"""

import os
import shutil
import subprocess
import tempfile

import launcher_install as li

check, write = li.check, li.write

MB = 1 << 20


def fill(folder):
    """Writes a file into FOLDER until its volume is full; returns its path."""
    path = os.path.join(folder, "filler")
    with open(path, "wb", buffering=0) as f:
        for size in (MB, 4096, 1):
            try:
                while True:
                    f.write(b"\0" * size)
            except OSError:
                pass
    return path


def unmount(folder):
    """wineserver may hold a killed program's files open for a moment."""
    if not li.wait_for(lambda: subprocess.run(["umount", folder],
                                              stderr=subprocess.DEVNULL).returncode == 0, 10, 0.2):
        subprocess.run(["umount", "-l", folder])


def free_bytes(folder):
    st = os.statvfs(folder)
    return st.f_bavail * st.f_frsize


def run(args):
    work = tempfile.mkdtemp(prefix="launcher-disk-")
    disk = os.path.join(work, "disk")
    os.makedirs(disk)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", disk],
                             stderr=subprocess.DEVNULL).returncode == 0
    check(mounted, "a small tmpfs for the installation was mounted (needs root)")
    if not mounted:
        os.rmdir(disk)
        os.rmdir(work)
        return
    install = os.path.join(disk, "install")
    mirror = None
    try:
        li.make_installation(args.build, install)
        release = li.Release(args, work)
        old = b"old game data"
        write(os.path.join(install, "data", "game.bin"), old)
        write(release.path("data", "game.bin"), os.urandom(free_bytes(disk) + MB))
        write(release.path("data", "small.txt"), b"small")
        stamp = release.publish()
        mirror = li.start_mirror(release.mirror_dir)
        log = os.path.join(install, "Launcher.log")

        launcher = li.start_launcher(args.wine_run, install)
        told = li.wait_for(lambda: b"DiskSpace: need" in (li.read(log) or b""), 60)
        li.wait_for(lambda: False, 1)
        li.stop_launcher(launcher, install)
        check(told, "the launcher found too little room (%r)" % li.read(log))
        fetched = [r["path"] for r in mirror.request_log() if "/plaza/" in r["path"]]
        check(not fetched, "nothing was downloaded (%s)" % fetched)
        check(li.read(os.path.join(install, "data", "game.bin")) == old and
              not os.path.exists(os.path.join(install, "data", "small.txt")),
              "every file is as it was")
        leftovers = [n for _, _, files in os.walk(install) for n in files if n.endswith(".tmp")]
        check(not leftovers and li.read(os.path.join(install, "ver.ini")) != stamp,
              "no temporary file and no new stamp (%s)" % leftovers)

        # A release that fits, slowed down; the room goes while it arrives.
        write(release.path("data", "game.bin"), os.urandom(free_bytes(disk) // 2))
        stamp = release.publish("2.5.1")
        mirror.clear_faults()
        mirror.set_fault("plaza/data/game.bin", "trickle")
        partial = os.path.join(install, "data", "game.bin.tmp")
        launcher = li.start_launcher(args.wine_run, install)
        started = li.wait_for(lambda: len(li.read(partial) or b"") > 0, 60)
        filler = fill(disk)
        deleted = li.wait_for(lambda: not os.path.exists(partial), 30)
        li.stop_launcher(launcher, install)
        check(started and deleted, "a write that found the disk full deleted its .tmp")
        check(li.read(os.path.join(install, "data", "game.bin")) == old,
              "the old file stayed whole")

        os.remove(filler)
        mirror.clear_faults()
        launcher = li.start_launcher(args.wine_run, install)
        updated = li.wait_for(lambda: li.read(os.path.join(install, "ver.ini")) == stamp, 90)
        li.stop_launcher(launcher, install)
        check(updated and li.read(os.path.join(install, "data", "game.bin")) ==
              li.read(release.path("data", "game.bin")),
              "with room again, the next start completed the update")
    finally:
        li.stop_programs_in(install)
        if mirror:
            mirror.stop()
        unmount(disk)
        shutil.rmtree(work, ignore_errors=True)
