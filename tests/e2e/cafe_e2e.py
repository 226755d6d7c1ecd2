#!/usr/bin/env python3
"""PCs in a café updating through its cache: two nginx instances, the origin
serving the mirror with tools/publish/nginx-mirror.conf and the café's cache
in front of it on the launcher's built-in mirror address, and Launcher.exe
under Wine in three installation folders (the PCs), two of them at once.

Each café gets the same story. Release 1 is installed on two PCs at once,
then on the third: the origin sent every object once, whatever the café was
asked, and no plain file. Then release 2 is published at the origin, files
changed in place under the same names (one of them to empty) and without
--patch-from, after old launchers fetched release 1's plain files through
the café: the next start of each PC installs release 2 whole, and every
object is still sent by the origin once. After every run the installation is
exactly one release, never a mix.

1. the café with tools/publish/nginx-cafe.conf: the texts and plain files
   pass through, so old launchers get the new plain files too;
2. a café set up as the popular LAN caches are, which ignores Cache-Control,
   keeps every answer for years under its host and path and passes only the
   four texts through: it serves release 1's plain files for ever, and the
   launcher must not need them.

  cafe_e2e.py --build BUILD_DIR --wine-run scripts/wine-run \\
              --publish "scripts/wine-run BUILD_DIR/tools/publish/publish.exe"

Needs nginx, a display and the port of the built-in mirror (18080). The
second launcher at a time runs in a Wine prefix of its own (one launcher runs
per prefix), made once beside WINEPREFIX and kept like it.
"""

import collections
import hashlib
import os
import random
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402
from nginx_mirror import NginxMirror, free_port  # noqa: E402

check = li.check

REPO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
TEXTS = ("ver.html", "file.html", "release.sig", "patches.txt")

LAN_CACHE = r"""
proxy_cache_path {work}/cache levels=2:2 keys_zone=lan:16m inactive=3650d max_size=1g
                 use_temp_path=off;
server {
    listen 127.0.0.1:%(port)d;
    location ~ ^/vedu/(ver\.html|file\.html|release\.sig|patches\.txt)$ {
        proxy_pass http://127.0.0.1:%(origin)d;
    }
    location / {
        proxy_pass http://127.0.0.1:%(origin)d;
        slice 1m;
        proxy_cache lan;
        proxy_cache_key $host$uri$slice_range;
        proxy_set_header Range $slice_range;
        proxy_ignore_headers Cache-Control Expires;
        proxy_cache_valid 200 206 3650d;
        proxy_cache_lock on;
        proxy_cache_lock_timeout 1h;
    }
}
"""


def operator_conf(name, replacements):
    """A configuration from tools/publish with its marked lines set."""
    with open(os.path.join(REPO, "tools", "publish", name)) as f:
        text = f.read()
    for old, new in replacements:
        if old not in text:
            raise RuntimeError("%s has no line with %r" % (name, old))
        text = text.replace(old, new)
    return text


def shipped_cafe(origin_port):
    return operator_conf("nginx-cafe.conf", (
        ("listen 80;", "listen 127.0.0.1:%d;" % li.BUILT_IN_PORT),
        ("/var/cache/nginx/launcher", "{work}/cache"),
        ("server cdn.example.com:80;", "server 127.0.0.1:%d;" % origin_port),
        ("$launcher_origin_host cdn.example.com;", "$launcher_origin_host 127.0.0.1;")))


def lan_cache(origin_port):
    return LAN_CACHE % {"port": li.BUILT_IN_PORT, "origin": origin_port}


def release_files(number):
    """The game files of a release: text that compresses, random bytes that
    do not, an object of two slices, an empty file, one that does not
    change, and one that release 2 empties."""
    rng = random.Random(number)
    return {
        "data/same.txt": b"the same in every release\r\n" * 50,
        "data/text.txt": b"".join(b"line %d of release %d\r\n" % (i, number)
                                  for i in range(3000)),
        "data/noise.bin": rng.randbytes(150_000),
        "data/big.bin": rng.randbytes(1_300_000),
        "data/shrinks.dat": rng.randbytes(5000) if number == 1 else b"",
        "empty.dat": b"",
    }


def md5(data):
    return hashlib.md5(data).hexdigest()


class SecondPrefix:
    """A Wine prefix beside WINEPREFIX with a wineserver of its own while the
    test runs."""

    def __init__(self):
        first = os.environ.get("WINEPREFIX") or os.path.join(REPO, "build", "wine-prefix")
        self.env = dict(os.environ, WINEPREFIX=first + "-second", WINEARCH="win32",
                        LC_ALL="zh_CN.UTF-8")
        self.env.setdefault("WINEDEBUG", "-all")
        self.env.setdefault("WINEDLLOVERRIDES", "mshtml=d;mscoree=d")

    def __enter__(self):
        quiet = {"env": self.env, "stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                 "stderr": subprocess.DEVNULL}
        if not os.path.exists(os.path.join(self.env["WINEPREFIX"], "system.reg")):
            print("creating the Wine prefix %s (once)" % self.env["WINEPREFIX"], flush=True)
            subprocess.call(["wineboot", "-i"], **quiet)
            subprocess.call(["wineserver", "-w"], **quiet)
        subprocess.call(["wineserver", "-p"], **quiet)
        subprocess.call(["wine", "wineboot"], **quiet)
        return self

    def __exit__(self, *exc):
        subprocess.call(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)


class Cafe:
    """One café: its three PCs, the release folder and the origin's mirror."""

    def __init__(self, args, work, name, second):
        self.args, self.name, self.second = args, name, second
        self.folder = os.path.join(work, name)
        self.mirror_dir = os.path.join(self.folder, "mirror")
        self.release = os.path.join(self.folder, "release")
        self.pcs = [os.path.join(self.folder, "pc%d" % n) for n in (1, 2, 3)]
        for folder in self.pcs + [self.release]:
            li.make_installation(args.build, folder)
        self.objects = collections.Counter()  # (path, range) the origin sent

    def publish(self, number):
        files = release_files(number)
        for name, data in files.items():
            li.write(os.path.join(self.release, name), data)
        li.publish(shlex.split(self.args.publish), self.release, self.mirror_dir,
                   "9.%d.0" % number, build=self.args.build)
        return files, li.stamp_of(self.mirror_dir)

    def update(self, pcs, files, stamp, what):
        """Starts the launcher on PCS at once (the second in the second
        prefix) and waits until each saved STAMP."""
        launchers = [li.start_launcher(self.args.wine_run, pc, self.second.env if i else None)
                     for i, pc in enumerate(pcs)]
        try:
            for pc in pcs:
                li.wait_for(lambda: li.read(os.path.join(pc, "ver.ini")) == stamp, 90)
        finally:
            for launcher, pc in zip(launchers, pcs):
                li.stop_launcher(launcher, pc)
        for pc in pcs:
            self.check_installed(pc, files, stamp, what)

    def check_installed(self, pc, files, stamp, what):
        label = "%s: %s, %s" % (self.name, os.path.basename(pc), what)
        check(li.read(os.path.join(pc, "ver.ini")) == stamp, "%s: the stamp was saved" % label)
        wrong = [n for n, data in files.items() if li.read(os.path.join(pc, n)) != data]
        check(not wrong, "%s: every file is the release's (not: %s)" % (label, wrong))
        leftovers = [n for _, _, names in os.walk(pc) for n in names if n.endswith(".tmp")]
        check(not leftovers, "%s: no temporary files left (%s)" % (label, leftovers))

    def fetched_from_origin(self, origin, files, what):
        """Counts the objects the origin sent since the last call; the
        launchers asked it for nothing under plaza/."""
        log = origin.request_log()
        origin.clear_log()
        plain = [r["path"] for r in log if "/plaza/" in r["path"]]
        check(not plain, "%s, %s: the origin sent no plain file (%s)" % (self.name, what, plain))
        for r in log:
            if "/zst/" in r["path"] or "/patch/" in r["path"]:
                self.objects[(r["path"], r["range"])] += 1
        asked = {path for path, _ in self.objects}
        missing = {"/vedu/zst/%s.zst" % md5(data) for data in files.values()} - asked
        check(not missing, "%s, %s: every object went through the café (not: %s)"
              % (self.name, what, missing))

    def run(self, cafe_site, keeps_plain):
        """CAFE_SITE(origin port): the café's configuration; KEEPS_PLAIN: it
        keeps serving the plain files it once fetched."""
        files1, stamp1 = self.publish(1)
        port = free_port()
        # The origin is slow, as a far one is, so the PCs that start at once
        # ask the café for an object while its first fetch is under way.
        origin_site = operator_conf("nginx-mirror.conf", (
            ("listen 80;", "listen 127.0.0.1:%d;" % port),
            ("/srv/launcher-mirror/;", self.mirror_dir + "/;\n        limit_rate 256k;")))
        with NginxMirror(None, port, site=origin_site) as origin, \
                NginxMirror(None, li.BUILT_IN_PORT, site=cafe_site(port)).start(attempts=120):
            self.update(self.pcs[:2], files1, stamp1, "release 1, two at once")
            self.update(self.pcs[2:], files1, stamp1, "release 1, after them")
            self.fetched_from_origin(origin, files1, "release 1")
            # Launchers built before patches.txt existed fetch the plain
            # files, which a café may keep.
            for name in files1:
                self.plain_through_cafe(name)
            origin.clear_log()

            files2, stamp2 = self.publish(2)
            self.update(self.pcs[:2], files2, stamp2, "release 2, two at once")
            self.update(self.pcs[2:], files2, stamp2, "release 2, after them")
            self.fetched_from_origin(origin, files2, "release 2")
            again = {k: n for k, n in self.objects.items() if n != 1}
            check(not again, "%s: the origin sent each object once (more: %s)"
                  % (self.name, again))
            name = "data/noise.bin"
            old_launcher_gets = (files1 if keeps_plain else files2)[name]
            check(self.plain_through_cafe(name) == old_launcher_gets,
                  "%s: an old launcher gets %s of release %d"
                  % (self.name, name, 1 if keeps_plain else 2))

    @staticmethod
    def plain_through_cafe(name):
        url = "http://127.0.0.1:%d/vedu/plaza/%s" % (li.BUILT_IN_PORT, name)
        with urllib.request.urlopen(url, timeout=30) as response:
            return response.read()


def main():
    args = li.parse_args(__doc__)
    # A time-out ends us with SIGTERM: still stop nginx, the launchers and the
    # second prefix's wineserver.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    work = tempfile.mkdtemp(prefix="launcher-cafe-e2e-")
    cafes = []
    try:
        with SecondPrefix() as second:
            for name, site, keeps_plain in (("shipped-cafe", shipped_cafe, False),
                                            ("lan-cache-cafe", lan_cache, True)):
                cafe = Cafe(args, work, name, second)
                cafes.append(cafe)
                cafe.run(site, keeps_plain)
    finally:
        for cafe in cafes:
            for pc in cafe.pcs:
                li.stop_programs_in(pc)
        shutil.rmtree(work, ignore_errors=True)
    return 1 if li.failures else 0


if __name__ == "__main__":
    sys.exit(main())
