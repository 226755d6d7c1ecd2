#!/usr/bin/env python3
"""The launcher against nginx, the static server operators really use:

1. a release whose names hold Chinese characters, spaces, '%' and '#', a
   character whose second GBK byte is a backslash, an empty file, files in
   sub-folders and a stale file brings the installation up to date, every
   URL %-escaped, nothing left behind;
2. a launcher killed (kill -9) in the middle of a large download resumes on
   the next start: nginx's access log shows a request for the rest only, and
   the file ends whole;
3. on patch day a changed file arrives as the patch that publish made from
   the release before, through the mirror's caching rules, and ends as the
   new file.

  nginx_e2e.py --build BUILD_DIR --wine-run scripts/wine-run \
               --publish "scripts/wine-run BUILD_DIR/tools/publish/publish.exe"

Needs nginx and the port of the built-in mirror (18080).
"""

import os
import shlex
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402

check, write = li.check, li.write

NAMES = {
    "中文 名字.txt": b"chinese and a space\r\n",
    "100%.txt": b"one hundred per cent",
    "a#b c.txt": b"hash and space",
    "誠.txt": b"second byte 0x5c",
    "empty.dat": b"",
    os.path.join("sub", "子目录", "文件.bin"): os.urandom(70000),
    os.path.join("data", "stale.bin"): b"the new content of a stale file",
}


def gbk_names_on_disk(plaza):
    """The mirror folder as the publish tool writes it on Linux, where nginx
    maps the GBK bytes of a request onto the disk byte for byte. Run under
    Wine, the tool wrote UTF-8 names; they are renamed, deepest first."""
    plaza = os.fsencode(plaza)
    for folder, dirs, files in os.walk(plaza, topdown=False):
        for name in dirs + files:
            try:
                gbk = name.decode("utf-8").encode("gbk")
            except (UnicodeDecodeError, UnicodeEncodeError):
                continue
            if gbk != name:
                os.rename(os.path.join(folder, name), os.path.join(folder, gbk))


def publish(args, release, mirror_dir, display, extra=(), objects=True):
    shutil.rmtree(mirror_dir, ignore_errors=True)
    li.publish(shlex.split(args.publish), release, mirror_dir, display, build=args.build,
               extra=extra)
    gbk_names_on_disk(os.path.join(mirror_dir, "plaza"))
    if not objects:
        li.without_objects(mirror_dir)
    return li.stamp_of(mirror_dir)


def temporary_files(folder):
    return [n for _, _, files in os.walk(folder) for n in files if n.endswith(".tmp")]


def run_to_stamp(args, install, stamp, timeout=120):
    launcher = li.start_launcher(args.wine_run, install)
    done = li.wait_for(lambda: li.installed(install, stamp), timeout)
    li.stop_launcher(launcher, install)
    return done


def interop(args, install, release, mirror_dir):
    for name, data in NAMES.items():
        write(os.path.join(release, name), data)
    write(os.path.join(install, "data", "stale.bin"), b"old")
    # The names travel as plain names, which only a mirror without its
    # objects makes the launcher ask for.
    stamp = publish(args, release, mirror_dir, "3.0.0", objects=False)
    with li.start_nginx(mirror_dir) as mirror:
        check(run_to_stamp(args, install, stamp), "the update from nginx ended current")
        log = mirror.request_log()
    for name, data in NAMES.items():
        check(li.read(os.path.join(install, name)) == data, "%s arrived whole" % name)
    check(not temporary_files(install), "no temporary files left (%s)" % temporary_files(install))
    files = [r for r in log if "/plaza/" in r["path"]]
    check(len(files) == len(NAMES) and all(r["status"] == 200 for r in files),
          "one good answer per file (%s)" % [(r["path"], r["status"]) for r in files])
    raw = [r["path"] for r in files if any(ord(c) > 0x7e or c in " #" for c in r["path"])]
    check(not raw, "every URL %%-escaped (%s)" % raw)


def resume(args, install, release, mirror_dir):
    size = 96 << 20
    big = os.urandom(size)
    write(os.path.join(release, "big.bin"), big)
    # A cut download resumes with a Range request on its plain name.
    stamp = publish(args, release, mirror_dir, "3.1.0", objects=False)
    partial = os.path.join(install, "big.bin.tmp")
    # Slowed down so the kill lands in the middle.
    with li.start_nginx(mirror_dir, rate="16m"):
        launcher = li.start_launcher(args.wine_run, install)
        started = li.wait_for(lambda: os.path.getsize(partial) > size // 4
                              if os.path.exists(partial) else False, 90, 0.02)
        li.stop_launcher(launcher, install)  # SIGKILL
    check(started, "the large download was under way when the launcher was killed")
    kept = os.path.getsize(partial) if os.path.exists(partial) else 0
    check(0 < kept < size, "the killed download left %d of %d bytes" % (kept, size))
    with li.start_nginx(mirror_dir) as mirror:
        check(run_to_stamp(args, install, stamp), "the next start ended current")
        asked = [r for r in mirror.request_log() if r["path"].endswith("/big.bin")]
    check(li.read(os.path.join(install, "big.bin")) == big, "big.bin is whole")
    check(len(asked) == 1 and asked[0]["range"] == "bytes=%d-" % kept and
          asked[0]["status"] == 206 and asked[0]["bytes"] == size - kept,
          "only the rest was asked for and sent (%s)" % asked)
    check(not temporary_files(install), "no temporary files left")


def patch_day(args, install, release, old_mirror, new_mirror):
    # The resume's large file, published twice more, would only cost time.
    os.remove(os.path.join(release, "big.bin"))
    size = 4 << 20
    old = bytearray(os.urandom(size))
    for folder in (install, release):
        write(os.path.join(folder, "game.pak"), bytes(old))
    publish(args, release, old_mirror, "3.2.0")
    new = old[:size // 3] + os.urandom(20000) + old[size // 3:]
    new[size // 2:size // 2 + 20000] = os.urandom(20000)
    write(os.path.join(release, "game.pak"), bytes(new))
    stamp = publish(args, release, new_mirror, "3.3.0", ["--patch-from", old_mirror])
    with li.start_nginx(new_mirror) as mirror:
        check(run_to_stamp(args, install, stamp), "the patched update ended current")
        log = mirror.request_log()
    check(li.read(os.path.join(install, "game.pak")) == new, "game.pak is the new release's")
    patches = [r for r in log if r["path"].startswith("/vedu/patch/")]
    plain = [r for r in log if r["path"].endswith("/game.pak")]
    check(len(patches) == 1 and patches[0]["status"] == 200 and not plain,
          "the patch was fetched and the plain file was not (%s)" % (patches + plain))
    moved = sum(r["bytes"] for r in patches)
    check(0 < moved < len(new) // 20, "the patch moved %d bytes for a %d-byte file" % (moved,
                                                                                      len(new)))
    check(not temporary_files(install), "no temporary files left")


def main():
    args = li.parse_args(__doc__)
    work = tempfile.mkdtemp(prefix="launcher-nginx-e2e-")
    install, release, mirror_dir = (os.path.join(work, n) for n in ("install", "release", "m"))
    try:
        li.make_installation(args.build, install)
        li.make_installation(args.build, release)
        interop(args, install, release, mirror_dir)
        resume(args, install, release, mirror_dir)
        patch_day(args, install, release, mirror_dir, os.path.join(work, "m2"))
    finally:
        li.stop_programs_in(install)
        shutil.rmtree(work, ignore_errors=True)
    return 1 if li.failures else 0


if __name__ == "__main__":
    sys.exit(main())
