#!/usr/bin/env python3
"""Patch day: what a new release costs the players, printed side by side
(figures only; it asserts nothing).

Corpus, made or fetched once and kept under .cache/bench (never in the
repository, never by a test):
  - a generated game-like release of about 1 GiB in 200 files, and the next
    release, where 20 files change in about 1 % of their bytes, by small
    insertions and deletions as well as overwrites (same bytes every time:
    every random choice comes from a fixed seed);
  - two consecutive releases of a real 32-bit Windows program that this
    project does not build: esbuild.exe of the npm package
    @esbuild/win32-ia32, from registry.npmjs.org.

Figures:
  1. bytes: the changed files whole, compressed whole by the zstd command line
     (-19 --long=27), and its patches (-19 --long=27 --patch-from), per pair;
  2. applying those patches natively (zstd -d --patch-from): speed and peak
     memory;
  3. the update from the first release to the next through a line of
     20 MiB/s that all the launcher's connections share (the relay of
     latency_relay.py; nginx's own limit holds per connection, which parallel
     transfers would multiply): the launcher fetching plain files (a mirror
     without its patch index), compressed copies (publish make's index), and
     patches when the publisher makes them (publish make --patch-from), with
     the bytes that really crossed the link;
  4. the same patched update through nginx without a limit: the launcher's
     own speed at making the new files, beside the native apply speed, and
     its peak memory;
  5. the operator's side (also alone, with --only publish): publish make on
     a 64 MiB file of random bytes beside zstd -19 on it; publish make of
     the second generated release --patch-from the first, beside
     zstd -19 -T0 over the same files, and the bytes of its patches beside
     what publish made before it probed and used every core.

  patch_day.py --build BUILD_DIR --wine-run scripts/wine-run
               --publish "PUBLISH COMMAND" [--cache .cache/bench]
               [--only zstd|publish]
"""

import contextlib
import hashlib
import io
import os
import random
import shlex
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import bench_update as bu  # noqa: E402
import launcher_install as li  # noqa: E402
from latency_relay import LatencyRelay  # noqa: E402
from nginx_mirror import NginxMirror  # noqa: E402

# Bump when the generator changes: the cached corpus is made again.
CORPUS_VERSION = "2"
RELEASE_FILES = 200
RELEASE_BYTES = 1 << 30
CHANGED_FILES = 20
CHANGED_SHARE = 0.01
CHUNK = 64 << 10
ZSTD_LEVEL = ["-19", "--long=27"]
# The player's line: 20 MiB/s shared by every connection the launcher opens.
LINK_RATE = 20 << 20
INCOMPRESSIBLE_MIB = 64
# The bytes of the patches that publish made for the generated corpus
# (CORPUS_VERSION 2) before publish probed and used every core (one core, no probe): its patches must
# not change.
PATCH_BYTES_BEFORE = 2166941

# Consecutive releases of the real program, with the registry's SHA-1 of each
# package, so that a changed upload is noticed instead of measured.
REAL_PACKAGE = "@esbuild/win32-ia32"
REAL_RELEASES = (("0.20.1", "0cf933be3fb9dc58b45d149559fe03e9e22b54fe"),
                 ("0.20.2", "241fe62c34d8e8461cd708277813e1d0ba55ce23"))
REAL_MEMBER = "package/esbuild.exe"


# ---------------------------------------------------------------- corpus

def file_sizes(rng):
    """200 sizes, 1 GiB in all, shaped like a game: a few large packs (under
    the 128 MiB that --long=27 reaches back), more middling ones, and many
    small files."""
    shape = [96] * 4 + [16] * 16 + [5] * 60 + [0.7] * 120
    raw = [s * rng.uniform(0.6, 1.4) for s in shape]
    scale = RELEASE_BYTES / (sum(raw) * (1 << 20))
    sizes = [max(1, int(s * scale * (1 << 20))) for s in raw]
    sizes[-1] += RELEASE_BYTES - sum(sizes)
    return sizes


def chunk_bytes(rng, pool):
    """64 KiB: half of them random (compressed assets), half structured data
    that compresses, each one different from every other."""
    if rng.random() < 0.5:
        return rng.randbytes(CHUNK)
    base = pool[rng.randrange(len(pool))]
    return rng.randbytes(32) + base[32:]


def structured_pool(rng):
    pool = []
    for _ in range(32):
        words = [rng.randbytes(rng.randrange(4, 24)) for _ in range(64)]
        data = b"".join(words[rng.randrange(64)] for _ in range(CHUNK // 8))
        pool.append((data * 2)[:CHUNK])
    return pool


def file_name(i, size):
    folder = "paks" if size > (48 << 20) else "data" if size > (2 << 20) else "ui"
    return "%s/f%03d.%s" % (folder, i, "pak" if folder == "paks" else "bin")


def changed_files(names, rng):
    """20 files of every kind: 2 packs, 10 middling files, 8 small ones."""
    def kind(folder):
        return [n for n in names if n.startswith(folder)]
    picked = rng.sample(kind("paks/"), 2) + rng.sample(kind("data/"), 10) + rng.sample(kind("ui/"), 8)
    assert len(picked) == CHANGED_FILES
    return sorted(picked)


def write_first_release(folder, rng):
    pool = structured_pool(rng)
    names = []
    for i, size in enumerate(file_sizes(rng)):
        name = file_name(i, size)
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            left = size
            while left > 0:
                f.write(chunk_bytes(rng, pool)[:left])
                left -= CHUNK
        names.append(name)
    return names


def edited(data, rng):
    """DATA with about 1 % of its bytes changed: overwrites, small
    insertions and small deletions, spread over the whole file."""
    out = bytearray(data)
    budget = max(64, int(len(data) * CHANGED_SHARE))
    while budget > 0:
        length = min(budget, rng.randrange(16, 8192))
        at = rng.randrange(max(1, len(out) - length))
        kind = rng.random()
        if kind < 0.7:
            out[at:at + length] = rng.randbytes(length)
        elif kind < 0.9:
            out[at:at] = rng.randbytes(min(length, 512))
        else:
            del out[at:at + min(length, 512)]
        budget -= length
    return bytes(out)


def make_corpus(cache):
    """The two releases under CACHE/generated, made once per CORPUS_VERSION.
    Unchanged files of the second release are hard links to the first's.
    Returns (first, second, changed names)."""
    top = os.path.join(cache, "generated")
    marker = os.path.join(top, "version")
    first, second = os.path.join(top, "r1"), os.path.join(top, "r2")
    if li.read(marker) != CORPUS_VERSION.encode():
        print("  making the generated releases under %s (once, about a minute)" % top,
              flush=True)
        shutil.rmtree(top, ignore_errors=True)
        rng = random.Random(20261208)
        names = write_first_release(first, rng)
        changed = changed_files(names, rng)
        for name in names:
            source, target = os.path.join(first, name), os.path.join(second, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if name in changed:
                with open(source, "rb") as f:
                    li.write(target, edited(f.read(), rng))
            else:
                os.link(source, target)
        li.write(os.path.join(top, "changed.txt"), "\n".join(changed).encode())
        li.write(marker, CORPUS_VERSION.encode())
    changed = li.read(os.path.join(top, "changed.txt")).decode().split("\n")
    return first, second, changed


def fetch_real_pair(cache):
    """esbuild.exe of two consecutive releases, fetched once from the npm
    registry. Returns [(version, path)]."""
    top = os.path.join(cache, "esbuild")
    pair = []
    for version, sha1 in REAL_RELEASES:
        exe = os.path.join(top, version, "esbuild.exe")
        if not os.path.exists(exe):
            url = "https://registry.npmjs.org/%s/-/%s-%s.tgz" % (
                REAL_PACKAGE, REAL_PACKAGE.split("/")[1], version)
            print("  fetching %s" % url, flush=True)
            with urllib.request.urlopen(url, timeout=120) as answer:
                package = answer.read()
            if hashlib.sha1(package).hexdigest() != sha1:
                raise RuntimeError("%s %s is not the package it was" % (REAL_PACKAGE, version))
            with tarfile.open(fileobj=io.BytesIO(package)) as tar:
                member = tar.extractfile(REAL_MEMBER).read()
            li.write(exe, member)
        pair.append((version, exe))
    return pair


# ---------------------------------------------- the zstd command line

def cached_zstd(cache, key, command, output):
    """Runs COMMAND (which writes OUTPUT) unless CACHE holds its result for
    KEY; returns the size of the output."""
    kept = os.path.join(cache, "zstd", key)
    if not os.path.exists(kept):
        os.makedirs(os.path.dirname(kept), exist_ok=True)
        subprocess.run(command + ["-q", "-f", "-o", output], check=True,
                       stderr=subprocess.DEVNULL)
        os.replace(output, kept)
    return os.path.getsize(kept), kept


def zstd_figures(cache, pairs, work):
    """Per pair (label, old, new): sizes whole, compressed and patched, and
    the native apply's seconds and peak memory."""
    rows = []
    for label, old, new in pairs:
        key = hashlib.md5(repr((CORPUS_VERSION, ZSTD_LEVEL, label, os.path.getsize(old),
                                os.path.getsize(new))).encode()).hexdigest()
        out = os.path.join(work, "zstd.out")
        packed, _ = cached_zstd(cache, key + ".zst", ["zstd"] + ZSTD_LEVEL + [new], out)
        patched, patch = cached_zstd(
            cache, key + ".patch",
            ["zstd"] + ZSTD_LEVEL + ["--patch-from=" + old, new], out)
        seconds, peak = zstd_apply(old, patch, out)
        rows.append({"label": label, "new": os.path.getsize(new), "packed": packed,
                     "patch": patched, "apply_s": seconds, "peak_kib": peak})
    return rows


def zstd_apply(old, patch, out, rounds=3):
    """Median seconds and peak memory (KiB) of zstd -d --patch-from."""
    seconds, peak = [], 0
    for _ in range(rounds):
        timing = out + ".time"
        start = time.time()
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", timing, "zstd", "-d", "-q", "-f",
                        "--long=31", "--patch-from=" + old, patch, "-o", out], check=True)
        seconds.append(time.time() - start)
        peak = max(peak, int(li.read(timing).split()[-1]))
    os.remove(out)
    return sorted(seconds)[len(seconds) // 2], peak


def print_zstd(rows, title):
    new = sum(r["new"] for r in rows)
    packed = sum(r["packed"] for r in rows)
    patch = sum(r["patch"] for r in rows)
    apply_s = sum(r["apply_s"] for r in rows)
    print("%s:" % title)
    print("  %-34s %14s %14s %14s %8s" % ("", "whole", "zstd -19", "zstd patch", "patch %"))
    label = rows[0]["label"] if len(rows) == 1 else "%d changed files" % len(rows)
    print("  %-34s %14d %14d %14d %7.1f%%" % (label, new, packed, patch, 100.0 * patch / new))
    print("  zstd -d --patch-from, native: %.0f MB/s of new files, peak %d KiB"
          % (new / 1e6 / max(apply_s, 1e-6), max(r["peak_kib"] for r in rows)), flush=True)
    return {"new": new, "packed": packed, "patch": patch, "apply_mbs": new / 1e6 / apply_s}


# ------------------------------------------------- the timed updates

def publish_with_patches(args, release, mirror_dir, old_mirror):
    """The publisher with patches from OLD_MIRROR (an earlier release's
    published mirror):

      publish make RELEASE MIRROR --display-version V --patch-from OLD_MIRROR

    writes, beside plaza/, patch/<new md5>-<old md5>.zst, zst/<md5>.zst and the
    signed index patches.txt. False when this publisher does not take
    --patch-from yet (the mirror then holds whole files only)."""
    usage = subprocess.run(shlex.split(args.publish) + ["make"], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True).stdout
    if "--patch-from" not in usage:
        return False
    subprocess.run(shlex.split(args.publish) + ["make", release, mirror_dir, "--display-version",
                                                "2.6.0", "--patch-from", old_mirror]
                   + li.signing_args(args.build), check=True, stdout=subprocess.DEVNULL)
    return True


def install_first_release(args, first, changed, install):
    """An installation of the first release with an old stamp. The files that
    the update replaces are copies; the rest are hard links into the cache,
    which the launcher only reads (it writes a .tmp and moves it over a
    target, and only over targets that differ)."""
    li.make_installation(args.build, install)
    for top, _, files in os.walk(first):
        for name in files:
            source = os.path.join(top, name)
            relative = os.path.relpath(source, first)
            target = os.path.join(install, relative)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            if relative in changed:
                shutil.copy(source, target)
            else:
                os.link(source, target)
    li.write(os.path.join(install, "ver.ini"), b"20000101old000000000")


def timed_update(args, first, changed, mirror_dir, rate, work):
    """One update of an installation of FIRST from MIRROR_DIR through nginx,
    behind a line of RATE bytes a second (0: loopback as it is): the
    download part (first request for a file to the stamp saved), the bytes
    sent for files, patches and compressed copies, and the launcher's peak
    memory."""
    install = os.path.join(work, "install")
    shutil.rmtree(install, ignore_errors=True)
    install_first_release(args, first, changed, install)
    stamp = li.stamp_of(mirror_dir)
    with contextlib.ExitStack() as stack:
        if rate:
            mirror = stack.enter_context(NginxMirror(mirror_dir))
            stack.enter_context(LatencyRelay(li.BUILT_IN_PORT, mirror.port, delay=0, rate=rate))
        else:
            mirror = stack.enter_context(li.start_nginx(mirror_dir))
        done_at, peak, _ = bu.run_until_stamp(args, install, stamp, timeout=1800)
        log = [r for r in mirror.request_log()
               if any(p in r["path"] for p in ("/plaza/", "/patch/", "/zst/"))]
    shutil.rmtree(install)
    first_request = min(r["time"] - r["seconds"] for r in log)
    return {"seconds": done_at - first_request, "bytes": sum(r["bytes"] for r in log),
            "patches": sum("/patch/" in r["path"] for r in log),
            "compressed": sum("/zst/" in r["path"] for r in log), "peak_kib": peak}


def print_update(label, update):
    print("  %-44s %7.2f s   %12d bytes   (%d patches, %d compressed copies, peak %d KiB)"
          % (label, update["seconds"], update["bytes"], update["patches"], update["compressed"],
             update["peak_kib"]), flush=True)


def first_mirror(args, cache, first):
    """The first release published (only its list and files are used, as
    --patch-from), kept beside the corpus and made again with it."""
    mirror = os.path.join(cache, "generated", "m1")
    if not os.path.exists(os.path.join(mirror, "ver.html")):
        shutil.rmtree(mirror, ignore_errors=True)
        print("  publishing the first generated release under %s (once, minutes)" % mirror,
              flush=True)
        start = time.time()
        li.publish(shlex.split(args.publish), first, mirror, build=args.build)
        print("  publish make, the first release (%d MiB, no old mirror): %.1f s"
              % (RELEASE_BYTES >> 20, time.time() - start), flush=True)
    return mirror


def timed(command, **options):
    start = time.time()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **options)
    return time.time() - start


def signing(args, work):
    """The build's demo key where there is one (a launcher of that build then
    takes the mirror), else a key made here: an operator signs."""
    found = li.signing_args(args.build)
    if found:
        return found
    key = os.path.join(work, "bench.key")
    if not os.path.exists(key):
        subprocess.run(shlex.split(args.publish) + ["keygen", key], check=True,
                       stdout=subprocess.DEVNULL)
    return ["--sign", key, "--release", str(int(time.time() * 1000))]


def bench_publish(args, cache, first, second, changed, work):
    """publish make on incompressible data, and on patch day, each beside the
    zstd command line on the same bytes. Leaves WORK/m2p, the second release
    with patches from the first."""
    publish = shlex.split(args.publish)
    print("publish, the operator's tool (%s):" % args.publish, flush=True)
    noise = os.path.join(work, "noise")
    li.write(os.path.join(noise, "noise.bin"),
             random.Random(64).randbytes(INCOMPRESSIBLE_MIB << 20))
    zstd_s = timed(["zstd", "-19", "-q", "-f", os.path.join(noise, "noise.bin"),
                    "-o", os.path.join(work, "noise.zst")])
    os.remove(os.path.join(work, "noise.zst"))
    ours = timed(publish + ["make", noise, os.path.join(work, "noise-mirror"),
                            "--display-version", "1"] + signing(args, work))
    shutil.rmtree(os.path.join(work, "noise-mirror"))
    bu.row("publish make, %d MiB of random bytes" % INCOMPRESSIBLE_MIB, ours, "zstd -19", zstd_s,
           ">= 10")

    old_mirror = first_mirror(args, cache, first)
    patched = os.path.join(work, "m2p")
    ours = timed(publish + ["make", second, patched, "--display-version", "2.6.0",
                            "--patch-from", old_mirror] + signing(args, work))
    out = os.path.join(work, "zstd-T0")
    os.makedirs(out)
    files = sorted(os.path.join(top, name) for top, _, names in os.walk(second) for name in names)
    zstd_s = timed(["zstd", "-19", "-T0", "-q", "-f", "--output-dir-flat", out] + files)
    shutil.rmtree(out)
    bu.row("publish make --patch-from, %d MiB, %d files" % (RELEASE_BYTES >> 20, len(files)),
           ours, "zstd -19 -T0, the same files", zstd_s, "about 1")
    index = li.read(os.path.join(patched, "patches.txt")).decode().splitlines()
    patch_bytes = sum(int(line.split()[-1]) for line in index if line.startswith("patch "))
    changed_bytes = sum(os.path.getsize(os.path.join(second, name)) for name in changed)
    before = ("unchanged from before the probe and the threads" if patch_bytes == PATCH_BYTES_BEFORE else
              "before the probe and the threads: %s" % PATCH_BYTES_BEFORE)
    print("  patch bytes: %d, %.2f %% of the %d changed files (%s)"
          % (patch_bytes, 100.0 * patch_bytes / changed_bytes, len(changed), before), flush=True)
    return patched


def bench_updates(args, first, second, changed, zstd, work, cache):
    old_mirror = first_mirror(args, cache, first)
    new_mirror, patched_mirror = (os.path.join(work, n) for n in ("m2", "m2p"))
    li.publish(shlex.split(args.publish), second, new_mirror, build=args.build)
    # Made and timed by bench_publish, signed with the build's key.
    has_patches = (os.path.exists(os.path.join(patched_mirror, "patches.txt"))
                   or publish_with_patches(args, second, patched_mirror, old_mirror))
    print("update of the generated release through a line of 20 MiB/s (download part):")
    compressed = timed_update(args, first, changed, new_mirror, LINK_RATE, work)
    print_update("launcher, compressed copies", compressed)
    # Without its index the mirror offers the plain files alone.
    index = os.path.join(new_mirror, "patches.txt")
    os.rename(index, index + ".away")
    whole = timed_update(args, first, changed, new_mirror, LINK_RATE, work)
    os.rename(index + ".away", index)
    print_update("launcher, plain files", whole)
    if not has_patches:
        print("  launcher, with patches: this publish has no --patch-from yet")
        return
    patched = timed_update(args, first, changed, patched_mirror, LINK_RATE, work)
    print_update("launcher, with patches", patched)
    bu.row("launcher, with patches", patched["seconds"], "plain files", whole["seconds"],
           ">= 10")
    bu.row("launcher, with patches", patched["seconds"], "compressed copies",
           compressed["seconds"], ">= 4")
    print("  bytes moved: %.1f %% of the changed files (goal <= 5 %%), %.2fx the zstd command "
          "line's patches (goal <= 1.1)"
          % (100.0 * patched["bytes"] / zstd["new"], patched["bytes"] / zstd["patch"]))
    fast = timed_update(args, first, changed, patched_mirror, 0, work)
    speed = zstd["new"] / 1e6 / fast["seconds"]
    print("  launcher, with patches, nginx unlimited: %.0f MB/s of new files against zstd -d "
          "--patch-from %.0f MB/s natively, ratio %.2f (goal >= 0.5), peak %d KiB"
          % (speed, zstd["apply_mbs"], speed / zstd["apply_mbs"], fast["peak_kib"]), flush=True)


def main():
    def extra(parser):
        parser.add_argument("--cache", default=".cache/bench")
        parser.add_argument("--only", choices=("zstd", "publish"))
    args = li.parse_args(__doc__, extra)
    cache = os.path.abspath(args.cache)
    work = tempfile.mkdtemp(prefix="launcher-patchday-")
    try:
        first, second, changed = make_corpus(cache)
        if args.only == "publish":
            bench_publish(args, cache, first, second, changed, work)
            return 0
        real = fetch_real_pair(cache)
        real_rows = zstd_figures(cache, [("esbuild.exe %s -> %s" % (real[0][0], real[1][0]),
                                          real[0][1], real[1][1])], work)
        print_zstd(real_rows, "a real program, %s (zstd command line)" % REAL_PACKAGE)
        rows = zstd_figures(cache, [(name, os.path.join(first, name), os.path.join(second, name))
                                    for name in changed], work)
        zstd = print_zstd(rows, "generated release, %d files, %d MiB (zstd command line)"
                          % (RELEASE_FILES, RELEASE_BYTES >> 20))
        if args.only != "zstd":
            bench_publish(args, cache, first, second, changed, work)
            bench_updates(args, first, second, changed, zstd, work, cache)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
