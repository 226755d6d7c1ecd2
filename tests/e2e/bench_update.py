#!/usr/bin/env python3
"""Benchmarks of the update engine, printed as figures with their reference
measured in the same run (asserts nothing):

  1. a 256 MiB download by Launcher.exe under Wine against curl on the same URL
     (the launcher's figure includes writing, flushing, verifying the digest
     and moving the file into place);
  2. the launcher's peak memory during that download against its idle peak;
  3. the file check over 2,000 files of 1 GiB against md5sum over the same
     files, and the 5 ms per entry floor of the check;
  4. the time from start to the version request, and to the ready state's
     request count, for a current installation.

  bench_update.py --build BUILD_DIR --wine-run scripts/wine-run \
                  --publish "PUBLISH COMMAND" [--big-mib 256] [--files 2000]
"""

import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402


def write_random(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    chunk = os.urandom(1 << 20)
    with open(path, "wb") as f:
        left = size
        while left > 0:
            f.write(chunk[:min(left, len(chunk))])
            left -= len(chunk)


def peak_kib(folder):
    peak = 0
    for pid in li.processes_in(folder):
        try:
            with open("/proc/%d/status" % pid) as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        peak = max(peak, int(line.split()[1]))
        except OSError:
            pass
    return peak


def request_time(mirror, path):
    for r in mirror.request_log():
        if r["path"] == path:
            return r["time"]
    return None


def run_until_stamp(args, install, stamp, timeout=900):
    launcher = li.start_launcher(args.wine_run, install)
    ok = li.wait_for(lambda: li.read(os.path.join(install, "ver.ini")) == stamp, timeout, 0.02)
    done = time.time()
    peak = peak_kib(install)
    li.stop_launcher(launcher, install)
    if not ok:
        raise RuntimeError("the launcher did not finish")
    return done, peak


def bench_download(args, work, publish_cmd):
    """The launcher's download against the bare WinInet loop and curl, all
    against nginx in the same run, taking turns so a busy machine favours
    none of them. The launcher's time runs from nginx receiving the request
    to the file verified and moved into place (the stamp saved right after)."""
    install, release, mirror_dir = (os.path.join(work, n) for n in ("i1", "r1", "m1"))
    li.make_installation(args.build, release)
    write_random(os.path.join(release, "big.bin"), args.big_mib << 20)
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    shutil.rmtree(release)
    stamp = li.stamp_of(mirror_dir)
    loop = os.path.join(args.build, "tests", "bench", "wininet_loop.exe")
    out = os.path.join(work, "out.bin")
    best = {}
    peak = 0
    with li.start_nginx(mirror_dir) as mirror:
        url = mirror.url + "plaza/big.bin"
        subprocess.run(["curl", "-s", "-o", "/dev/null", url], check=True)  # page cache
        for _ in range(args.rounds):
            start = time.time()
            subprocess.run(["curl", "-s", "-o", out, url], check=True)
            best["curl"] = min(best.get("curl", 1e9), time.time() - start)
            os.remove(out)
            for block in (16384, 262144):
                done = subprocess.run([args.wine_run, loop, url, "Z:" + out, str(block)],
                                      check=True, stdout=subprocess.PIPE, text=True)
                # Wine may add its own lines; the loop's is "SECONDS BYTES".
                seconds = float(re.findall(r"^(\d+\.\d+) \d+$", done.stdout, re.M)[-1])
                key = "loop%d" % (block // 1024)
                best[key] = min(best.get(key, 1e9), seconds)
                os.remove(out)
            shutil.rmtree(install, ignore_errors=True)
            li.make_installation(args.build, install)
            mirror.clear_log()
            done_at, peak = run_until_stamp(args, install, stamp)
            entry = [r for r in mirror.request_log() if r["path"].endswith("/big.bin")][0]
            began = entry["time"] - entry["seconds"]
            best["transfer"] = min(best.get("transfer", 1e9), entry["seconds"])
            best["launcher"] = min(best.get("launcher", 1e9), done_at - began)
    mib = args.big_mib
    ref = best["loop16"]
    print("download %d MiB from nginx, best of %d rounds:" % (mib, args.rounds))
    print("  launcher, request to file verified and in place %6.2f s   bare WinInet loop "
          "(16 KB) %6.2f s   ratio %.2f" % (best["launcher"], ref, ref / best["launcher"]))
    print("  launcher, transfer only (nginx request time)     %6.2f s   bare WinInet loop "
          "(16 KB) %6.2f s   ratio %.2f" % (best["transfer"], ref, ref / best["transfer"]))
    print("  references: curl %.2f s, WinInet loop with 256 KB blocks %.2f s"
          % (best["curl"], best["loop256"]))
    print("  peak memory during the download %d KiB" % peak)
    shutil.rmtree(install)
    shutil.rmtree(mirror_dir)


def bench_check(args, work, publish_cmd):
    install, release, mirror_dir = (os.path.join(work, n) for n in ("i2", "r2", "m2"))
    li.make_installation(args.build, release)
    size = (1 << 30) // args.files
    names = []
    for i in range(args.files):
        name = os.path.join("data", "d%02d" % (i % 50), "f%04d.bin" % i)
        write_random(os.path.join(release, name), size)
        names.append(name)
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    shutil.copytree(release, install)  # every file current, only the stamp differs
    shutil.rmtree(release)
    stamp = li.stamp_of(mirror_dir)

    paths = [os.path.join(install, n) for n in names]
    subprocess.run(["md5sum"] + paths, stdout=subprocess.DEVNULL, check=True)  # warm
    start = time.time()
    subprocess.run(["md5sum"] + paths, stdout=subprocess.DEVNULL, check=True)
    md5sum_s = time.time() - start
    floor_s = 0.005 * (args.files + 4)  # the listed files and the programs

    with li.start_mirror(mirror_dir) as mirror:
        done, _ = run_until_stamp(args, install, stamp)
        check_s = done - request_time(mirror, "/vedu/file.html")
        downloads = [r["path"] for r in mirror.request_log() if "/plaza/" in r["path"]]
    print("file check of %d files, 1 GiB: launcher %.2f s, md5sum %.2f s, 5 ms floor %.2f s, "
          "launcher/(md5sum+floor) %.2f, downloads %d" %
          (args.files, check_s, md5sum_s, floor_s, check_s / (md5sum_s + floor_s),
           len(downloads)))

    # Start to ready on this (now current) installation.
    with li.start_mirror(mirror_dir) as mirror:
        start = time.time()
        launcher = li.start_launcher(args.wine_run, install)
        li.wait_for(lambda: mirror.request_log(), 60, 0.01)
        asked = request_time(mirror, "/vedu/ver.html") - start
        time.sleep(3)
        requests = len(mirror.request_log())
        li.stop_launcher(launcher, install)
    print("current installation: start to version request %.2f s (ready about 40 ms later), "
          "%d request(s) in all" % (asked, requests))
    shutil.rmtree(install)
    shutil.rmtree(mirror_dir)


def main():
    def extra(parser):
        parser.add_argument("--big-mib", type=int, default=256)
        parser.add_argument("--files", type=int, default=2000)
        parser.add_argument("--rounds", type=int, default=2)
        parser.add_argument("--only", choices=("download", "check"))
    args = li.parse_args(__doc__, extra)
    publish_cmd = shlex.split(args.publish)
    work = tempfile.mkdtemp(prefix="launcher-bench-")
    try:
        if args.only != "check":
            bench_download(args, work, publish_cmd)
        if args.only != "download":
            bench_check(args, work, publish_cmd)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
