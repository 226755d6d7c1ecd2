#!/usr/bin/env python3
"""Benchmarks of the update engine against nginx, each figure printed beside a
reference measured in the same run, as a ratio (asserts nothing). Every
figure is the median of the rounds; the programs take turns within a round,
so a busy machine favours none of them.

  1. a 256 MiB download by Launcher.exe under Wine, from the request to the
     file written, verified and moved into place, against the barest WinInet
     loop with 256 KiB reads in the same Wine, and against curl; the loop
     with reads of 16 KiB to 1 MiB shows where larger reads stop paying;
     beside it the launcher's digests alone over the same file on one core
     (MD5 bounds a download without release keys, SHA-256 one with them);
  2. the launcher's peak memory during that download against its idle peak;
  3. a fresh installation of 2,000 files of 4 KiB: the download part (from
     the first file's request to the stamp saved) against curl fetching the
     same URLs one after another and 8 at a time, and the file check before
     it on its own;
  4. the file check over 2,000 files of 1 GiB against md5sum over the same
     files plus the 5 ms per entry that the check pauses;
  5. a current installation from the start of the program to the version
     file answered, against the bare loop fetching the same file;
  6. behind a relay that adds 25 ms each way (a 50 ms round trip, as a home
     link has): a fresh installation of 300 files of 4 KiB, the download
     part against curl over one kept-alive connection and curl with 8
     transfers at a time, and a large file against curl.

  bench_update.py --build BUILD_DIR --wine-run scripts/wine-run
                  --publish "PUBLISH COMMAND" [--big-mib 256] [--files 2000]
                  [--small-files 2000] [--net-files 300] [--net-mib 128]
                  [--rounds 3] [--only download|small|check|network ...]
"""

import collections
import os
import re
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402
from latency_relay import LatencyRelay  # noqa: E402
from nginx_mirror import NginxMirror  # noqa: E402

RELAY_DELAY = 0.025  # seconds each way


def write_random(path, size):
    """Bytes that do not compress (a repeated chunk would), so the plain file
    is what the launcher fetches."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        left = size
        while left > 0:
            f.write(os.urandom(min(left, 1 << 20)))
            left -= 1 << 20


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


def request_start(mirror, path):
    """When nginx began the request for PATH (its log holds the end)."""
    for r in mirror.request_log():
        if r["path"] == path:
            return r["time"] - r["seconds"]
    return None


def row(label, ours, ref_label, ref, goal, also=None):
    """One figure beside its reference, both in seconds, and reference / ours
    (above 1: ours is faster); ALSO = (label, seconds) adds a second ratio."""
    extra = "   %s %.2f" % (also[0], also[1] / ours) if also else ""
    print("  %-44s %7.2f s   %-28s %7.2f s   ratio %.2f%s   (goal %s)"
          % (label, ours, ref_label, ref, ref / ours, extra, goal), flush=True)


class Rounds:
    """Seconds per figure over the rounds; the median is what is shown."""

    def __init__(self):
        self.seconds = {}

    def add(self, key, seconds):
        self.seconds.setdefault(key, []).append(seconds)

    def __getitem__(self, key):
        return statistics.median(self.seconds[key])


# When the stamp was seen, the launcher's peak memory, and when the file
# asked about appeared in place (None when none was).
LauncherRun = collections.namedtuple("LauncherRun", "done peak placed")


def run_until_stamp(args, install, stamp, timeout=900, placed=None):
    """Runs the launcher in INSTALL until it saved STAMP. PLACED, a file the
    launcher moves into place, is watched closely: it comes tens of
    milliseconds before the stamp."""
    launcher = li.start_launcher(args.wine_run, install)
    placed_at = None
    if placed and li.wait_for(lambda: os.path.exists(placed), timeout, 0.001):
        placed_at = time.time()
    ok = li.wait_for(lambda: li.installed(install, stamp), timeout, 0.01)
    done = time.time()
    peak = peak_kib(install)
    li.stop_launcher(launcher, install)
    if not ok:
        raise RuntimeError("the launcher did not finish")
    return LauncherRun(done, peak, placed_at)


def loop_seconds(args, url, out, block=16384):
    """The bare WinInet loop's own time for URL (Wine's start-up excluded)."""
    loop = os.path.join(args.build, "tests", "bench", "wininet_loop.exe")
    done = subprocess.run([args.wine_run, loop, url, "Z:" + out, str(block)], check=True,
                          stdout=subprocess.PIPE, text=True)
    os.remove(out)
    # Wine may add lines of its own; the loop's is "SECONDS BYTES".
    return float(re.findall(r"^(\d+\.\d+) \d+$", done.stdout, re.M)[-1])


def digest_seconds(args, path, kind):
    """The launcher's digest KIND (md5 or sha256) alone over PATH under Wine,
    on one core: the code that ran and its own seconds."""
    bench = os.path.join(args.build, "tests", "bench", "digest_bench.exe")
    done = subprocess.run([args.wine_run, bench, kind, "Z:" + path], check=True,
                          stdout=subprocess.PIPE, text=True)
    code, seconds = re.findall(r"^(\S+) (\d+\.\d+) s ", done.stdout, re.M)[-1]
    return code, float(seconds)


LOOP_KIB = (16, 64, 128, 256, 512, 1024)


def bench_download(args, work, publish_cmd):
    """The launcher's download against the bare WinInet loop and curl, all
    against nginx in the same run. The launcher's time runs from nginx
    receiving the request to the file verified and moved into place; the
    stamp follows the status pause of 20 ms after it, and is shown too."""
    install, release, mirror_dir = (os.path.join(work, n) for n in ("i1", "r1", "m1"))
    li.make_installation(args.build, release)
    write_random(os.path.join(release, "big.bin"), args.big_mib << 20)
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    shutil.rmtree(release)
    stamp = li.stamp_of(mirror_dir)
    out = os.path.join(work, "out.bin")
    rounds = Rounds()
    peak = 0
    codes = {}

    with li.start_nginx(mirror_dir) as mirror:
        url = mirror.url + "plaza/big.bin"
        subprocess.run(["curl", "-s", "-o", "/dev/null", url], check=True)  # page cache
        for _ in range(args.rounds):
            start = time.time()
            subprocess.run(["curl", "-s", "-o", out, url], check=True)
            rounds.add("curl", time.time() - start)
            os.remove(out)
            for kib in LOOP_KIB:
                rounds.add(kib, loop_seconds(args, url, out, kib << 10))
            shutil.rmtree(install, ignore_errors=True)
            li.make_installation(args.build, install)
            mirror.clear_log()
            run = run_until_stamp(args, install, stamp, placed=os.path.join(install, "big.bin"))
            peak = run.peak
            # The file comes as its compressed copy (stored: random bytes).
            entry = [r for r in mirror.request_log() if "/zst/" in r["path"]][0]
            requested = entry["time"] - entry["seconds"]
            rounds.add("transfer", entry["seconds"])
            rounds.add("launcher", run.placed - requested)
            rounds.add("stamp", run.done - requested)
            for kind in ("md5", "sha256"):
                code, seconds = digest_seconds(args, os.path.join(mirror_dir, "plaza", "big.bin"),
                                               kind)
                codes[kind] = code
                rounds.add(kind, seconds)
    print("download of %d MiB from nginx, median of %d rounds (ratio = reference / ours):"
          % (args.big_mib, args.rounds))
    curl = ("x curl", rounds["curl"])
    row("launcher, request to file verified, in place", rounds["launcher"],
        "bare WinInet loop, 256 KiB", rounds[256], ">= 0.9", curl)
    row("launcher, request to stamp saved", rounds["stamp"],
        "bare WinInet loop, 256 KiB", rounds[256], "none", curl)
    row("launcher, transfer (nginx's request time)", rounds["transfer"],
        "bare WinInet loop, 256 KiB", rounds[256], "none", curl)
    for kind in ("md5", "sha256"):
        print("  %-44s %7.2f s   (%.0f MB/s)" % (
            "%s (%s) alone, one core, same file" % (kind.upper(), codes[kind]), rounds[kind],
            (args.big_mib << 20) / 1e6 / rounds[kind]))
    for kib in LOOP_KIB:
        row("bare WinInet loop, %d KiB reads" % kib, rounds[kib], "curl", rounds["curl"], "none")
    with li.start_nginx(mirror_dir):
        launcher = li.start_launcher(args.wine_run, install)  # now current: idle
        time.sleep(5)
        idle = peak_kib(install)
        li.stop_launcher(launcher, install)
    print("  peak memory: during the download %d KiB, idle %d KiB, ratio idle / download %.2f"
          % (peak, idle, idle / max(peak, 1)))
    shutil.rmtree(install)
    shutil.rmtree(mirror_dir)


def curl_urls(urls, parallel):
    """Seconds curl takes for URLS in one process (its connections reused),
    one after another or 8 at a time."""
    config = "".join('url = "%s"\noutput = "/dev/null"\n' % u for u in urls)
    command = ["curl", "-s", "-K", "-"] + (["--parallel", "--parallel-max", "8"]
                                          if parallel else [])
    start = time.time()
    subprocess.run(command, input=config, text=True, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.time() - start


def bench_small(args, work, publish_cmd):
    """A fresh installation of many small files. The download part runs from
    nginx receiving the first file's request to the stamp saved; the file
    check before it (with its pause per entry) is shown on its own."""
    install, release, mirror_dir = (os.path.join(work, n) for n in ("i3", "r3", "m3"))
    li.make_installation(args.build, release)
    names = ["data/s%02d/f%04d.bin" % (i % 50, i) for i in range(args.small_files)]
    for name in names:
        li.write(os.path.join(release, name), os.urandom(4096))
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    shutil.rmtree(release)
    stamp = li.stamp_of(mirror_dir)
    rounds = Rounds()
    with li.start_nginx(mirror_dir) as mirror:
        urls = [mirror.url + "plaza/" + n for n in names]
        curl_urls(urls, False)  # page cache
        for _ in range(args.rounds):
            rounds.add("serial", curl_urls(urls, False))
            rounds.add("parallel", curl_urls(urls, True))
            shutil.rmtree(install, ignore_errors=True)
            li.make_installation(args.build, install)
            mirror.clear_log()
            done_at = run_until_stamp(args, install, stamp).done
            log = mirror.request_log()
            objects = [r for r in log if "/zst/" in r["path"]]
            first = min(r["time"] - r["seconds"] for r in objects)
            rounds.add("download", done_at - first)
            rounds.add("fetched", max(r["time"] for r in objects) - first)
            rounds.add("check", first - request_start(mirror, "/vedu/file.html"))
    print("fresh installation of %d files of 4 KiB from nginx, median of %d rounds:"
          % (args.small_files, args.rounds))
    row("launcher, first request to stamp saved", rounds["download"],
        "curl, one after another", rounds["serial"], "<= 2 s, 1 ms per file",
        ("x curl 8 at a time", rounds["parallel"]))
    print("  %-44s %7.2f s" % ("of which the first request to the last answer",
                                rounds["fetched"]))
    print("  %-44s %7.2f s   (%.2f ms per file)" % (
        "launcher, file check before it", rounds["check"],
        1000 * rounds["check"] / args.small_files))
    shutil.rmtree(install)
    shutil.rmtree(mirror_dir)


def release_of(args, work, publish_cmd, name, files):
    """A mirror folder under WORK published from the build's programs and
    FILES ({relative name: size}) of random bytes; returns it and its stamp."""
    release, mirror_dir = os.path.join(work, name + "-r"), os.path.join(work, name + "-m")
    li.make_installation(args.build, release)
    for relative, size in files.items():
        write_random(os.path.join(release, relative), size)
    li.publish(publish_cmd, release, mirror_dir, build=args.build)
    shutil.rmtree(release)
    return mirror_dir, li.stamp_of(mirror_dir)


def launcher_behind_relay(args, install, nginx, stamp):
    """A fresh installation through the relay: seconds from the first
    request for a file's object (its compressed copy, stored: random bytes)
    leaving the launcher (nginx sees it one delay later) to the stamp saved."""
    shutil.rmtree(install, ignore_errors=True)
    li.make_installation(args.build, install)
    nginx.clear_log()
    done_at = run_until_stamp(args, install, stamp).done
    first = min(r["time"] - r["seconds"] for r in nginx.request_log() if "/zst/" in r["path"])
    return done_at - (first - RELAY_DELAY)


def bench_network(args, work, publish_cmd):
    """The launcher behind a relay with a 50 ms round trip on the built-in
    port, nginx behind it; curl goes through the same relay."""
    names = ["data/n%02d/f%04d.bin" % (i % 20, i) for i in range(args.net_files)]
    small_dir, small_stamp = release_of(args, work, publish_cmd, "n1", {n: 4096 for n in names})
    big_dir, big_stamp = release_of(args, work, publish_cmd, "n2", {"big.bin": args.net_mib << 20})
    install = os.path.join(work, "i4")
    rounds = Rounds()
    relay_url = "http://127.0.0.1:%d/vedu/" % li.BUILT_IN_PORT
    for mirror_dir, stamp, part in ((small_dir, small_stamp, "/data/"),
                                    (big_dir, big_stamp, "/big.bin")):
        with NginxMirror(mirror_dir) as nginx, \
                LatencyRelay(li.BUILT_IN_PORT, nginx.port, RELAY_DELAY):
            urls = ([relay_url + "plaza/" + n for n in names] if part == "/data/"
                    else [relay_url + "plaza/big.bin"])
            curl_urls(urls, False)  # page cache
            for _ in range(args.rounds):
                rounds.add(part + "serial", curl_urls(urls, False))
                if part == "/data/":
                    rounds.add(part + "parallel", curl_urls(urls, True))
                rounds.add(part, launcher_behind_relay(args, install, nginx, stamp))
    print("behind a relay with a %d ms round trip, median of %d rounds:"
          % (2000 * RELAY_DELAY, args.rounds))
    row("launcher, %d files of 4 KiB, download part" % args.net_files, rounds["/data/"],
        "curl, 8 at a time", rounds["/data/parallel"], ">= 0.8, i.e. at most 1.25x",
        ("x curl one after another", rounds["/data/serial"]))
    row("launcher, %d MiB, request to file in place" % args.net_mib, rounds["/big.bin"],
        "curl", rounds["/big.binserial"], ">= 0.9")
    shutil.rmtree(install, ignore_errors=True)
    shutil.rmtree(small_dir)
    shutil.rmtree(big_dir)


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
    subprocess.run(["md5sum"] + paths, stdout=subprocess.DEVNULL, check=True)  # page cache
    start = time.time()
    subprocess.run(["md5sum"] + paths, stdout=subprocess.DEVNULL, check=True)
    md5sum_s = time.time() - start
    pauses_s = 0.005 * (args.files + 4)  # the listed files and the programs

    with li.start_nginx(mirror_dir) as mirror:
        done = run_until_stamp(args, install, stamp).done
        check_s = done - request_start(mirror, "/vedu/file.html")
        downloads = [r["path"] for r in mirror.request_log()
                     if "/plaza/" in r["path"] or "/zst/" in r["path"]]
    print("file check of %d files, 1 GiB (%d downloads):" % (args.files, len(downloads)))
    row("launcher, file list to stamp saved", check_s, "md5sum + 5 ms per entry",
        md5sum_s + pauses_s, ">= 0.91, i.e. at most 1.1x")

    # A current installation: from the program's start to the version file
    # answered, against the bare loop fetching the same file.
    rounds = Rounds()
    with li.start_nginx(mirror_dir) as mirror:
        for _ in range(args.rounds):
            mirror.clear_log()
            start = time.time()
            loop_seconds(args, mirror.url + "ver.html", os.path.join(work, "ver.out"))
            rounds.add("loop", mirror.request_log()[-1]["time"] - start)
            mirror.clear_log()
            start = time.time()
            launcher = li.start_launcher(args.wine_run, install)
            li.wait_for(lambda: mirror.request_log(), 60, 0.005)
            rounds.add("launcher", mirror.request_log()[0]["time"] - start)
            time.sleep(2)
            requests = len(mirror.request_log())
            li.stop_launcher(launcher, install)
    print("current installation, start to ready (%d request; the ready state follows "
          "40 ms after the answer):" % requests)
    row("launcher, start to version file answered", rounds["launcher"],
        "bare WinInet loop, the same", rounds["loop"], "none")
    shutil.rmtree(install)
    shutil.rmtree(mirror_dir)


def main():
    def extra(parser):
        parser.add_argument("--big-mib", type=int, default=256)
        parser.add_argument("--files", type=int, default=2000)
        parser.add_argument("--small-files", type=int, default=2000)
        parser.add_argument("--net-files", type=int, default=300)
        parser.add_argument("--net-mib", type=int, default=128)
        parser.add_argument("--rounds", type=int, default=3)
        parser.add_argument("--only", action="append",
                            choices=("download", "small", "check", "network"),
                            help="run only this part (may be given more than once)")
    args = li.parse_args(__doc__, extra)
    publish_cmd = shlex.split(args.publish)
    work = tempfile.mkdtemp(prefix="launcher-bench-")
    try:
        if not args.only or "download" in args.only:
            bench_download(args, work, publish_cmd)
        if not args.only or "small" in args.only:
            bench_small(args, work, publish_cmd)
        if not args.only or "check" in args.only:
            bench_check(args, work, publish_cmd)
        if not args.only or "network" in args.only:
            bench_network(args, work, publish_cmd)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
