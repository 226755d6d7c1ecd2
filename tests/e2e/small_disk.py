"""The update on a volume without room, for update_e2e.py: an installation on
a small tmpfs (mounting one needs root, which the Wine test wrapper gives).

A release that does not fit is not downloaded at all and every file stays.
A download that fills the volume part way (another program takes the room
while it runs) deletes its .tmp; once there is room again, the next start
completes the update.

A patch whose volume another program fills before it is applied ends that
file cleanly: the launcher keeps running, deletes the .tmp and says so. A
full-length .tmp that a killed patch left holds room the next start may use:
with too little room besides it, that start still ends on the new release.
"""

import contextlib
import hashlib
import os
import shlex
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


def mount(disk, size):
    os.makedirs(disk)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", disk],
                             stderr=subprocess.DEVNULL).returncode == 0
    check(mounted, "a small tmpfs for the installation was mounted (needs root)")
    return mounted


class Setup:
    """An installation on a small tmpfs, a release folder beside it and the
    mirror, once started."""

    def __init__(self, args, work, disk):
        self.args, self.work, self.disk = args, work, disk
        self.install = os.path.join(disk, "install")
        self.release = os.path.join(work, "release")
        self.mirror_dir = os.path.join(work, "mirror")
        self.publish_cmd = shlex.split(args.publish)
        self.mirror = None
        li.make_installation(args.build, self.install)
        li.make_installation(args.build, self.release)


@contextlib.contextmanager
def small_installation(args, size):
    """Yields a Setup on a tmpfs of SIZE, or None when none can be mounted;
    ends what it started and removes every file."""
    work = tempfile.mkdtemp(prefix="launcher-disk-")
    disk = os.path.join(work, "disk")
    if not mount(disk, size):
        shutil.rmtree(work)
        yield None
        return
    setup = None
    try:
        setup = Setup(args, work, disk)
        yield setup
    finally:
        if setup:
            li.stop_programs_in(setup.install)
            if setup.mirror:
                setup.mirror.stop()
        unmount(disk)
        shutil.rmtree(work, ignore_errors=True)


def md5_of(path):
    return hashlib.md5(li.read(path)).hexdigest()


def run(args, only=None):
    for size, part in (("4m", download_without_room), ("32m", patch_without_room)):
        if only in (None, part.__name__):
            with small_installation(args, size) as setup:
                if setup:
                    part(setup)


def patch_without_room(setup):
    install, release, mirror_dir = setup.install, setup.release, setup.mirror_dir
    disk, publish_cmd, args = setup.disk, setup.publish_cmd, setup.args
    old_mirror = os.path.join(setup.work, "mirror-1")
    big = os.path.join("data", "big.bin")
    old = os.urandom(12 * MB)
    write(os.path.join(release, big), old)
    write(os.path.join(install, big), old)
    li.publish(publish_cmd, release, old_mirror, build=args.build)
    new = bytearray(old)
    for offset in range(0, len(new), 64 * 1024):  # 1 % of the file changes
        new[offset:offset + 655] = os.urandom(655)
    write(os.path.join(release, big), bytes(new))
    li.publish(publish_cmd, release, mirror_dir, "2.6.0", build=args.build,
               extra=["--patch-from", old_mirror])
    stamp = li.stamp_of(mirror_dir)
    patch = "patch/%s-%s.zst" % (hashlib.md5(new).hexdigest(), hashlib.md5(old).hexdigest())
    check(os.path.exists(os.path.join(mirror_dir, patch)), "publish made the patch")
    mirror = setup.mirror = li.start_mirror(mirror_dir)
    log = os.path.join(install, "Launcher.log")
    target = os.path.join(install, big)

    # The patch's answer waits while another program fills the volume,
    # all but a little, too little for the file (and enough for the log).
    mirror.set_fault(patch, "late", times=1, seconds=5)
    launcher = li.start_launcher(args.wine_run, install)
    asked = li.wait_for(lambda: any(r["path"] == "/vedu/" + patch
                                    for r in mirror.request_log()), 60)
    filler = fill(disk)
    os.truncate(filler, os.path.getsize(filler) - MB)
    told = li.wait_for(lambda: b"DeltaFailed: disk full" in (li.read(log) or b""), 60)
    alive = bool(li.processes_in(install))
    li.stop_launcher(launcher, install)
    check(asked and told and alive,
          "a patch that found the volume full ended that file, and the launcher runs on "
          "(%r)" % li.read(log))
    check(not os.path.exists(target + ".tmp") and md5_of(target) == hashlib.md5(old).hexdigest(),
          "its .tmp was deleted and the old file stayed whole")

    # A killed patch's full-length .tmp, and too little room besides it.
    os.remove(filler)
    write(target + ".tmp", os.urandom(len(new)))
    check(free_bytes(disk) < len(new),
          "the room left is less than the file (%d bytes)" % free_bytes(disk))
    mirror.clear_faults()
    launcher = li.start_launcher(args.wine_run, install)
    updated = li.wait_for(lambda: li.installed(install, stamp), 90)
    li.stop_launcher(launcher, install)
    check(updated and li.read(target) == bytes(new),
          "the next start counted the dead .tmp as room and ended on the new release (%r)"
          % li.read(log))
    leftovers = [n for _, _, files in os.walk(install) for n in files
                 if n.endswith((".tmp", ".bak")) or n == "install.journal"]
    check(not leftovers, "nothing left behind (%s)" % leftovers)


def download_without_room(setup):
    install, release, mirror_dir = setup.install, setup.release, setup.mirror_dir
    disk, publish_cmd, args = setup.disk, setup.publish_cmd, setup.args
    old = b"old game data"
    write(os.path.join(install, "data", "game.bin"), old)
    write(os.path.join(release, "data", "game.bin"), os.urandom(free_bytes(disk) + MB))
    write(os.path.join(release, "data", "small.txt"), b"small")
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    # Without the objects: the faults below are set on a plain name.
    li.without_objects(mirror_dir)
    stamp = li.stamp_of(mirror_dir)
    mirror = setup.mirror = li.start_mirror(mirror_dir)
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
    write(os.path.join(release, "data", "game.bin"), os.urandom(free_bytes(disk) // 2))
    li.publish(publish_cmd, release, mirror_dir, "2.5.1", build=args.build)
    li.without_objects(mirror_dir)
    stamp = li.stamp_of(mirror_dir)
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
    updated = li.wait_for(lambda: li.installed(install, stamp), 90)
    li.stop_launcher(launcher, install)
    check(updated and li.read(os.path.join(install, "data", "game.bin")) ==
          li.read(os.path.join(release, "data", "game.bin")),
          "with room again, the next start completed the update")
