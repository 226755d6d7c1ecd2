#!/usr/bin/env python3
"""Applying one large patch, printed beside the zstd command line in the same
run (figures only; it asserts nothing).

The pair is made once and kept under .cache/bench: a generated file of
206 MB shaped like patch day's (half random chunks, half structured data) and
the same file with about 1 % of its bytes changed, and the zstd command
line's patch between them (-19 --long=27 --patch-from).

Figures, median of the rounds, the programs taking turns:
  - zstd -d --patch-from natively, and its peak memory;
  - the launcher's way (patch_apply_bench.exe under Wine: the decoder, the
    digest a signed release checks, the new file flushed to disk), and the
    private memory it held; and the same with the MD5 of an unsigned one.

  patch_apply.py --build BUILD_DIR --wine-run scripts/wine-run
                 [--cache .cache/bench] [--rounds 3]
"""

import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import patch_day as pd  # noqa: E402

PAIR_VERSION = "1"
PAIR_BYTES = 206 * 1000 * 1000


def make_pair(cache):
    """(old, new, patch) under CACHE/apply, made once per PAIR_VERSION."""
    top = os.path.join(cache, "apply")
    old, new, patch = (os.path.join(top, n) for n in ("old.bin", "new.bin", "new.patch"))
    marker = os.path.join(top, "version")
    if pd.li.read(marker) == PAIR_VERSION.encode():
        return old, new, patch
    print("  making a pair of %d MB and its patch under %s (once, a few minutes)"
          % (PAIR_BYTES // 1000000, top), flush=True)
    os.makedirs(top, exist_ok=True)
    rng = random.Random(20261209)
    pool = pd.structured_pool(rng)
    data = bytearray()
    while len(data) < PAIR_BYTES:
        data += pd.chunk_bytes(rng, pool)
    del data[PAIR_BYTES:]
    pd.li.write(old, bytes(data))
    pd.li.write(new, pd.edited(bytes(data), rng))
    subprocess.run(["zstd"] + pd.ZSTD_LEVEL + ["--patch-from=" + old, new, "-q", "-f",
                                               "-o", patch], check=True)
    pd.li.write(marker, PAIR_VERSION.encode())
    return old, new, patch


def launcher_apply(args, old, patch, out, size, digest):
    """Seconds and private MiB of patch_apply_bench.exe (its own timing,
    Wine's start-up excluded)."""
    bench = os.path.join(args.build, "tests", "bench", "patch_apply_bench.exe")
    done = subprocess.run([args.wine_run, bench, "Z:" + old, "Z:" + patch, "Z:" + out, str(size)]
                          + ([] if digest == "sha256" else ["unsigned"]),
                          check=True, stdout=subprocess.PIPE, text=True).stdout
    os.remove(out)
    seconds = float(re.search(r"in (\d+\.\d+) s", done).group(1))
    private = float(re.search(r"\(\+(\d+\.\d+) MiB\)", done).group(1))
    return seconds, private


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--cache", default=".cache/bench")
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    args.build, args.wine_run = os.path.abspath(args.build), os.path.abspath(args.wine_run)
    old, new, patch = make_pair(os.path.abspath(args.cache))
    size = os.path.getsize(new)
    work = tempfile.mkdtemp(prefix="launcher-apply-")
    out = os.path.join(work, "new.out")
    times = {"zstd": [], "sha256": [], "md5": []}
    private = {"sha256": 0.0, "md5": 0.0}
    peak = 0
    try:
        for _ in range(args.rounds):
            seconds, zstd_peak = pd.zstd_apply(old, patch, out, rounds=1)
            times["zstd"].append(seconds)
            peak = max(peak, zstd_peak)
            for digest in ("sha256", "md5"):
                seconds, held = launcher_apply(args, old, patch, out, size, digest)
                times[digest].append(seconds)
                private[digest] = max(private[digest], held)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    zstd = statistics.median(times["zstd"])
    print("applying a patch of %d bytes to a new file of %d MB, median of %d rounds "
          "(ratio = zstd / ours):" % (os.path.getsize(patch), size // 1000000, args.rounds))
    print("  %-44s %7.2f s  (%4.0f MB/s), peak %d KiB"
          % ("zstd -d --patch-from, native", zstd, size / 1e6 / zstd, peak))
    for digest, label in (("sha256", "launcher, signed (SHA-256)"),
                          ("md5", "launcher, unsigned (MD5)")):
        ours = statistics.median(times[digest])
        print("  %-44s %7.2f s  (%4.0f MB/s), private memory +%.1f MiB   ratio %.2f   "
              "(goal >= 0.6, <= 64 MiB)" % (label, ours, size / 1e6 / ours, private[digest],
                                            zstd / ours), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
