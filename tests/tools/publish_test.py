#!/usr/bin/env python3
"""Drives the publish tool on real folders and reads its output with a codec
written here from the format's description, independent of the C++ one."""
import contextlib
import ctypes
import hashlib
import http.client
import os
import random
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

PUBLISH = []  # the command that runs the tool, e.g. a Wine wrapper and the .exe


def scramble(plain: bytes) -> bytes:
    length = len(plain)
    assert length <= 56
    key = [length] + [random.randrange(255) for _ in range(7)]
    padded = (length + 7) // 8 * 8
    digits = "".join(
        "%02x%02x" % (key[i % 8], (plain[i] if i < length else random.randrange(255)) ^ key[i % 8])
        for i in range(padded)).encode()
    head = bytes(c ^ 5 for c in (digits or b"\0\0\0\0")[:4])
    return head + digits[4:]


def unscramble(text: bytes) -> bytes:
    if len(text) < 32:
        return b""
    text = bytes(c ^ 5 for c in text[:4]) + text[4:]
    length = int(text[:2], 16)
    if len(text) != 32 * ((length + 7) // 8):
        return b""
    return bytes(int(text[4 * i:4 * i + 2], 16) ^ int(text[4 * i + 2:4 * i + 4], 16)
                 for i in range(length))


def decode_list(body: bytes):
    lines = [unscramble(line) for line in body.replace(b"\r", b"\n").split(b"\n") if line]
    assert len(lines) % 3 == 0, "the list ends in the middle of an entry"
    return [(lines[i], int(lines[i + 1]), lines[i + 2]) for i in range(0, len(lines), 3)]


def md5(data):
    return hashlib.md5(data).hexdigest()


def has_content_size(frame):
    """Whether a zstd frame header carries the decoded size (the launcher maps
    its output by it): a size field, or a single segment, which implies one."""
    assert frame[:4] == b"\x28\xb5\x2f\xfd"
    descriptor = frame[4]
    return descriptor >> 6 != 0 or descriptor >> 5 & 1 == 1


def unzstd(path, base=None):
    command = ["zstd", "-d", "-q", "-c", "--long=31"]
    if base:
        command.append("--patch-from=" + base)
    return subprocess.run(command + [path], capture_output=True, check=True).stdout


@contextlib.contextmanager
def watched_arrivals(folders):
    """Yields a list that, once the block ends, holds every file that arrived
    in `folders` as (folder, name, how): "moved" for a rename, "written" for a
    file written in place. Linux inotify, through the C library."""
    libc = ctypes.CDLL(None, use_errno=True)
    moved_to, close_write = 0x80, 0x08
    fd = libc.inotify_init1(os.O_NONBLOCK)
    assert fd >= 0
    watches = {libc.inotify_add_watch(fd, os.fsencode(f), moved_to | close_write): f
               for f in folders}
    arrivals = []
    try:
        yield arrivals
        data = b""
        while True:
            try:
                data += os.read(fd, 1 << 16)
            except BlockingIOError:
                break
        while data:
            wd, mask, _, length = struct.unpack_from("iIII", data)
            name = data[16:16 + length].rstrip(b"\0").decode()
            data = data[16 + length:]
            arrivals.append((watches[wd], name, "moved" if mask & moved_to else "written"))
    finally:
        os.close(fd)


def under_wine():
    return os.path.basename(PUBLISH[0]) == "wine-run"


def listed_name(name):
    """The name the file list must carry for a file at `name` below the release:
    GBK, the launcher's code page, with backslashes."""
    return b"\\" + b"\\".join(part.encode("gbk") for part in name.split(os.sep))


def run(*args, check=None):
    result = subprocess.run([*PUBLISH, *map(os.fsencode, map(str, args))], capture_output=True)
    if under_wine():  # one stream, lines ending in CR LF
        result.stdout = result.stdout.replace(b"\r\n", b"\n")
        result.stderr = result.stdout
    if check is not None:
        assert result.returncode == check, (args, result.returncode, result.stdout, result.stderr)
    return result


class PublishTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="publish-test-")
        self.release = os.path.join(self.root, "release")
        self.mirror = os.path.join(self.root, "mirror")
        self.files = {
            "Lobby.exe": os.urandom(70000),
            "Launcher.exe": b"MZ" + os.urandom(4094),
            os.path.join("Res", "Launcher", "Launcher.pkg"): os.urandom(4096 * 3),
            os.path.join("Res", "empty.dat"): b"",
        }
        # Wine here has no GBK locale for Unix names, so non-ASCII names only
        # reach the native tool.
        if not under_wine():
            self.files[os.path.join("Res", "图片.png")] = b"png"
            self.files["嘰.txt"] = b"the second byte of this name in GBK is a backslash"
        for name, data in self.files.items():
            self.write(os.path.join(self.release, name), data)

    def tearDown(self):
        shutil.rmtree(self.root)

    @staticmethod
    def write(path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    @staticmethod
    def read(path):
        with open(path, "rb") as f:
            return f.read()

    def leftovers(self):
        return [n for n in os.listdir(self.root) if ".publish-" in n]

    def test_make_writes_a_mirror_the_launcher_can_read(self):
        run("make", self.release, self.mirror, "--display-version", "2.5.0", check=0)
        version = self.read(os.path.join(self.mirror, "ver.html"))
        display, stamp = version.split(b"\n")
        self.assertEqual(display, b"2.5.0")
        self.assertEqual(len(stamp), 20)
        self.assertFalse(any(c in stamp for c in b" \t\r\n"))

        body = self.read(os.path.join(self.mirror, "file.html"))
        self.assertTrue(body.endswith(b"\r\n"))
        self.assertNotIn(b"\n", body.replace(b"\r\n", b""))
        listed = {name: (size, md5) for name, size, md5 in decode_list(body)}
        expected = {listed_name(n): (len(d), hashlib.md5(d).hexdigest().encode())
                    for n, d in self.files.items()}
        self.assertEqual(listed, expected)

        for name, data in self.files.items():
            plaza = [os.fsdecode(part.encode("gbk")) for part in name.split(os.sep)]
            self.assertEqual(self.read(os.path.join(self.mirror, "plaza", *plaza)), data)
        self.assertEqual(self.leftovers(), [])

    def test_decode_and_verify_round_trip(self):
        run("make", self.release, self.mirror, "--display-version", "1.0",
            "--stamp", "20261207000000000001", check=0)
        decoded = run("decode", os.path.join(self.mirror, "file.html"), check=0).stdout
        rows = sorted(line.split(b"\t") for line in decoded.splitlines())
        self.assertEqual(rows, sorted([listed_name(n), str(len(d)).encode(),
                                       hashlib.md5(d).hexdigest().encode()]
                                      for n, d in self.files.items()))
        self.assertEqual(run("verify", self.mirror, check=0).returncode, 0)
        self.assertEqual(run("verify-install", self.release,
                             os.path.join(self.mirror, "file.html"), check=0).returncode, 0)

    def test_verify_names_damaged_and_missing_files(self):
        run("make", self.release, self.mirror, "--display-version", "1.0", check=0)
        damaged = os.path.join(self.mirror, "plaza", "Lobby.exe")
        data = bytearray(self.read(damaged))
        data[1000] ^= 0xff  # same size, other content
        self.write(damaged, bytes(data))
        os.remove(os.path.join(self.mirror, "plaza", "Res", "empty.dat"))
        out = run("verify", self.mirror, check=1).stdout
        self.assertIn(b"\\Lobby.exe", out)
        self.assertIn(b"\\Res\\empty.dat", out)
        self.assertNotIn(b"Launcher.pkg", out)

    def test_lists_written_elsewhere_decode(self):
        digest = hashlib.md5(b"x").hexdigest().encode()
        body = b"\r\n\r\n".join(scramble(f) for f in [b"\\a.txt", b"1", digest,
                                                      b"\\Res\\b.png", b"22", digest]) + b"\n"
        path = os.path.join(self.root, "file.html")
        self.write(path, body)
        out = run("decode", path, check=0).stdout
        self.assertEqual(out, b"\\a.txt\t1\t" + digest + b"\n\\Res\\b.png\t22\t" + digest + b"\n")
        self.write(path, body + scramble(b"\\cut.txt"))
        self.assertIn(b"\\cut.txt", run("decode", path, check=1).stderr)

    def test_names_already_in_gbk(self):
        if under_wine():
            self.skipTest("names on disk are the system's business on Windows")
        gbk = "图片.png".encode("gbk")
        # Read as GBK, this UTF-8 name ends in a lead byte without its
        # second byte, which Windows would turn into another name.
        os.remove(os.path.join(self.release, "嘰.txt"))
        self.write(os.path.join(os.fsencode(self.release), b"Res", gbk), b"gbk")
        run("make", self.release, self.mirror, "--display-version", "1",
            "--name-encoding", "gbk", check=0)
        decoded = run("decode", os.path.join(self.mirror, "file.html"), check=0).stdout
        self.assertIn(b"\\Res\\" + gbk + b"\t3\t", decoded)

    def test_stamp_follows_the_content(self):
        stamps = []
        for change in (False, False, True):
            if change:
                self.write(os.path.join(self.release, "Lobby.exe"), b"new lobby")
            run("make", self.release, self.mirror, "--display-version", "1", check=0)
            stamps.append(self.read(os.path.join(self.mirror, "ver.html")).split(b"\n")[1])
        self.assertEqual(stamps[0], stamps[1])
        self.assertNotEqual(stamps[1], stamps[2])

    def test_bad_input_is_refused_and_leaves_the_mirror_alone(self):
        run("make", self.release, self.mirror, "--display-version", "1.0",
            "--stamp", "AAAAAAAAAAAAAAAAAAAA", check=0)
        before = self.read(os.path.join(self.mirror, "file.html"))

        def refused(*args, release=None):
            result = run("make", release or self.release, self.mirror, *args)
            self.assertNotEqual(result.returncode, 0, args)
            self.assertTrue(result.stderr.strip(), "a refusal says why")
            self.assertEqual(self.read(os.path.join(self.mirror, "file.html")), before)
            self.assertEqual(self.leftovers(), [])

        refused("--display-version", "1.0\n2.0")
        refused("--display-version", "1.0", "--stamp", "short")
        refused("--display-version", "1.0", "--stamp", "has white space in it")
        refused("--display-version", "1.0", release=os.path.join(self.root, "missing"))

        long_name = os.path.join(self.release, "Res", "n" * 52)  # "\Res\" + 52 = 57 bytes
        self.write(long_name, b"x")
        refused("--display-version", "1.0")
        os.remove(long_name)

        if under_wine():
            return  # Wine hides or renames the names below from Windows programs
        broken = os.path.join(self.release, "two\nlines.txt")
        self.write(broken, b"x")
        refused("--display-version", "1.0")
        os.remove(broken)

        self.write(os.path.join(self.release, "stream:name"), b"x")
        refused("--display-version", "1.0")
        os.remove(os.path.join(self.release, "stream:name"))

        self.write(os.path.join(self.release, "no GBK \U0001F600.txt"), b"x")
        refused("--display-version", "1.0")

    def test_refuses_to_replace_other_folders(self):
        os.makedirs(self.mirror)
        self.write(os.path.join(self.mirror, "notes.txt"), b"mine")
        self.assertNotEqual(run("make", self.release, self.mirror, "--display-version", "1")
                            .returncode, 0)
        self.assertEqual(self.read(os.path.join(self.mirror, "notes.txt")), b"mine")
        inside = os.path.join(self.release, "mirror")
        self.assertNotEqual(run("make", self.release, inside, "--display-version", "1")
                            .returncode, 0)
        self.assertFalse(os.path.exists(inside))

    def test_md5_prints_md5sum_lines(self):
        paths = [os.path.join(self.release, n) for n in sorted(self.files)]
        out = run("md5", *paths, check=0).stdout
        digests = [line.split(b"  ")[0].lstrip(b"\\") for line in out.splitlines()]
        self.assertEqual(digests, [hashlib.md5(self.files[n]).hexdigest().encode()
                                   for n in sorted(self.files)])
        if not under_wine():  # byte for byte, escapes of odd names included
            self.assertEqual(out, subprocess.run(["md5sum", *paths], capture_output=True).stdout)
        missing = run("md5", os.path.join(self.root, "nope"), check=1)
        self.assertIn(b"nope", missing.stderr)

    def keygen(self, name):
        path = os.path.join(self.root, name)
        public = run("keygen", path, check=0).stdout.strip()
        self.assertRegex(public, b"^[0-9a-f]{64}$")
        return path, public.decode()

    def test_signed_release(self):
        key, public = self.keygen("release.key")
        if not under_wine():
            self.assertEqual(os.stat(key).st_mode & 0o777, 0o600)
        self.assertEqual(run("keygen", key).returncode, 1)  # never overwritten
        run("make", self.release, self.mirror, "--display-version", "1.0",
            "--sign", key, "--release", "5", "--expires", "2", check=0)
        lines = self.read(os.path.join(self.mirror, "release.sig")).split(b"\n")
        self.assertEqual(lines[:2], [b"launcher-release 1", b"release 5"])
        expires = lines[2].split(b" ")[1].decode()
        self.assertRegex(expires, r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
        for name, line in (("ver.html", lines[4]), ("file.html", lines[5])):
            digest = hashlib.sha256(self.read(os.path.join(self.mirror, name))).hexdigest()
            self.assertEqual(line, f"{name} {digest}".encode())
        files = {l[70:]: l[5:69] for l in lines if l.startswith(b"file ")}
        self.assertEqual(files, {listed_name(n): hashlib.sha256(d).hexdigest().encode()
                                 for n, d in self.files.items()})
        self.assertTrue(lines[-2].startswith(b"signature ") and lines[-1] == b"")

        self.assertIn(b"release 5", run("verify", self.mirror, "--key", public, check=0).stdout)
        _, other = self.keygen("other.key")
        self.assertIn(b"signature", run("verify", self.mirror, "--key", other, check=1).stdout)
        sig = os.path.join(self.mirror, "release.sig")
        signed = self.read(sig)
        self.write(sig, signed.replace(b"release 5", b"release 9"))
        self.assertIn(b"signature", run("verify", self.mirror, "--key", public, check=1).stdout)
        self.write(sig, signed)
        with open(os.path.join(self.mirror, "file.html"), "ab") as f:
            f.write(b"\r\n")
        self.assertIn(b"hash mismatch",
                      run("verify", self.mirror, "--key", public, check=1).stdout)

        # Signing needs a release number; an unsigned make drops release.sig.
        self.assertEqual(run("make", self.release, self.mirror, "--display-version", "1",
                             "--sign", key).returncode, 1)
        self.assertEqual(run("make", self.release, self.mirror, "--display-version", "1",
                             "--release", "6").returncode, 1)
        self.assertTrue(os.path.exists(sig))
        run("make", self.release, self.mirror, "--display-version", "1", check=0)
        self.assertFalse(os.path.exists(sig))

    def test_names_windows_cannot_store_apart(self):
        # Each release holds names that are one file, or a device, on Windows;
        # make refuses naming the files, and verify flags a list with them.
        cases = [(["A.txt", "a.txt"], "CASE   ", ["A.txt", "a.txt"]),
                 (["foo", "foo."], "UNSAFE ", ["foo."]),
                 (["aux.h"], "UNSAFE ", ["aux.h"]),
                 (["COM1"], "UNSAFE ", ["COM1"])]
        digest = md5(b"x").encode()
        for names, flag, bad in cases:
            with self.subTest(names=names):
                if not under_wine():  # Wine folds or hides these names on disk
                    for name in names:
                        self.write(os.path.join(self.release, name), b"x")
                    result = run("make", self.release, self.mirror, "--display-version", "1",
                                 check=1)
                    for name in bad:
                        self.assertIn(os.fsencode(os.path.join(self.release, name)),
                                      result.stderr)
                    self.assertFalse(os.path.exists(self.mirror))
                    for name in names:
                        os.remove(os.path.join(self.release, name))
                listed = os.path.join(self.root, "listed")
                self.write(os.path.join(listed, "file.html"), b"\r\n".join(
                    scramble(f) for n in names for f in (b"\\" + n.encode(), b"1", digest)))
                lines = run("verify", listed, check=1).stdout.splitlines()
                for name in names:
                    line = (flag + " \\" + name).encode()
                    flagged = any(l == line or l.startswith(line + b":") for l in lines)
                    self.assertEqual(flagged, name in bad, lines)

    def test_signed_release_stays_whole_while_a_file_changes(self):
        # Size, digests and copy come from one read, so a file rewritten while
        # make runs is published consistently, in one version or the other.
        key, public = self.keygen("release.key")
        busy = os.path.join(self.release, "busy.dat")
        self.write(busy, b"A" * (8 << 20))
        stop = threading.Event()

        def rewrite():
            with open(busy, "r+b") as f:
                while not stop.is_set():
                    for fill in (b"B", b"A"):
                        f.seek(0)
                        f.write(fill * (8 << 20))
                        f.flush()

        writer = threading.Thread(target=rewrite)
        writer.start()
        try:
            for release in (1, 2, 3):
                run("make", self.release, self.mirror, "--display-version", "1",
                    "--sign", key, "--release", release, check=0)
        finally:
            stop.set()
            writer.join()
        run("verify", self.mirror, "--key", public, check=0)

    def test_a_copy_unlike_what_was_read_is_refused(self):
        # A hook in the C library changes the staged copy of Lobby.exe as it
        # is closed, after its bytes were hashed: the read-back must see it.
        compiler = shutil.which("cc")
        if under_wine() or not compiler:
            self.skipTest("the hook is a native shared library")
        source = os.path.join(self.root, "hook.c")
        with open(source, "w") as f:
            f.write("""#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>
int fclose(FILE* file) {
    int (*next)(FILE*) = (int (*)(FILE*))dlsym(RTLD_NEXT, "fclose");
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(file));
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n > 0 && (fcntl(fileno(file), F_GETFL) & O_ACCMODE) != O_RDONLY) {
        path[n] = 0;
        if (strstr(path, "/plaza/Lobby.exe")) {
            fflush(file);
            if (pwrite(fileno(file), "!", 1, 0) != 1) return -1;
        }
    }
    return next(file);
}
""")
        hook = os.path.join(self.root, "hook.so")
        subprocess.run([compiler, "-shared", "-fPIC", "-o", hook, source, "-ldl"], check=True)
        environment = dict(os.environ, LD_PRELOAD=hook,
                           ASAN_OPTIONS="verify_asan_link_order=0")
        result = subprocess.run([*PUBLISH, "make", self.release, self.mirror,
                                 "--display-version", "1"], capture_output=True, env=environment)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(b"\\Lobby.exe under plaza/ does not read back", result.stderr)
        self.assertFalse(os.path.exists(self.mirror))
        self.assertEqual(self.leftovers(), [])

    def test_a_release_over_an_older_one(self):
        rng = random.Random(20)
        game = rng.randbytes(300_000)
        text = b"".join(b"line %d of the readme\n" % i for i in range(3000))
        same = rng.randbytes(50_000)
        releases = [
            {"Lobby.exe": game, "readme.txt": text, "same.dat": same, "gone.dat": b"old" * 100},
            {"Lobby.exe": game[:1000] + b"inserted" + game[1000:200_000] + bytes(300)
             + game[200_300:], "readme.txt": text.replace(b"line 7", b"LINE 7"),
             "same.dat": same, "gone.dat": b"old" * 100},
            {"Lobby.exe": game[:5000] + game[6000:] + b"tail", "readme.txt": text + b"more\n",
             "same.dat": same, "new.dat": rng.randbytes(1000), "empty.dat": b""},
        ]
        for files in releases:  # all new bytes each time: a patch would not pay
            files["swapped.dat"] = rng.randbytes(20_000)
        folders = [os.path.join(self.root, "r%d" % i) for i in range(3)]
        for folder, files in zip(folders, releases):
            for name, data in files.items():
                self.write(os.path.join(folder, name), data)
        key, public = self.keygen("release.key")
        older = os.path.join(self.root, "older")
        run("make", folders[0], older, "--display-version", "0", check=0)
        run("make", folders[1], self.mirror, "--display-version", "1", "--sign", key,
            "--release", 1, check=0)
        objects = [os.path.join(self.mirror, f) for f in ("zst", "patch")]
        plaza = os.path.join(self.mirror, "plaza")
        # The mirror being replaced is itself one of the old releases.
        make = ["make", folders[2], self.mirror, "--display-version", "2", "--sign", key,
                "--release", 2, "--patch-from", older, "--patch-from", self.mirror]
        with watched_arrivals([self.mirror, plaza, *objects]) as arrivals:
            table = run(*make, check=0).stdout
        self.assertIn(b"patch bytes", table)

        # Objects first, then the lists, ver.html last, and each by a rename.
        texts = [(self.mirror, n, "moved")
                 for n in ("file.html", "release.sig", "patches.txt", "ver.html")]
        self.assertEqual(arrivals[-4:], texts)
        self.assertTrue(all(a[0] in (plaza, *objects) and a[2] == "moved"
                            for a in arrivals[:-4]), arrivals)
        self.assertFalse(os.path.exists(os.path.join(plaza, "gone.dat")))

        index = self.read(os.path.join(self.mirror, "patches.txt")).decode().splitlines()
        stamp = self.read(os.path.join(self.mirror, "ver.html")).split(b"\n")[1].decode()
        self.assertEqual(index[:2], ["launcher-patches 1", "stamp " + stamp])
        self.assertTrue(index[-1].startswith("signature "))
        listed = {tuple(line.split()[1:-1]): int(line.split()[-1]) for line in index[2:-1]}
        new = releases[2]
        want_patches = {(md5(new[n]), md5(old[n])) for old in releases[:2]
                        for n in ("Lobby.exe", "readme.txt")}
        self.assertEqual({k for k in listed if len(k) == 2}, want_patches)
        # Every file has its compressed copy, also one of random bytes (zstd
        # stores them as they are) and an empty one, so a launcher that reads
        # the index never asks for a plain name that a cache may hold stale.
        self.assertEqual({k[0] for k in listed if len(k) == 1}, {md5(d) for d in new.values()})
        for name in ("swapped.dat", "empty.dat"):
            stored = os.path.join(self.mirror, "zst", md5(new[name]) + ".zst")
            self.assertEqual(unzstd(stored), new[name])
        for old, folder in zip(releases[:2], folders[:2]):
            for name in ("Lobby.exe", "readme.txt"):
                patch = os.path.join(self.mirror, "patch",
                                     "%s-%s.zst" % (md5(new[name]), md5(old[name])))
                self.assertEqual(os.path.getsize(patch), listed[(md5(new[name]), md5(old[name]))])
                self.assertLess(os.path.getsize(patch), len(new[name]) // 10)
                self.assertTrue(has_content_size(self.read(patch)))
                self.assertEqual(unzstd(patch, os.path.join(folder, name)), new[name])
        copy = os.path.join(self.mirror, "zst", md5(new["readme.txt"]) + ".zst")
        self.assertTrue(has_content_size(self.read(copy)))
        self.assertEqual(unzstd(copy), new["readme.txt"])
        # The older release's compressed copy stays for launchers still on it.
        self.assertTrue(os.path.exists(
            os.path.join(self.mirror, "zst", md5(releases[1]["readme.txt"]) + ".zst")))

        run("verify", self.mirror, "--key", public, check=0)
        # Objects are never written again once published.
        def stats():
            return {os.path.join(d, n): (os.stat(os.path.join(d, n)).st_ino,
                                         os.stat(os.path.join(d, n)).st_mtime_ns)
                    for d in objects for n in os.listdir(d)}
        before = stats()
        run(*make, check=0)
        self.assertEqual(stats(), before)

        # verify reads the index: a damaged object, a foreign key.
        with open(copy, "ab") as f:
            f.write(b"\0")
        self.assertIn(b"OBJECT  zst/", run("verify", self.mirror, check=1).stdout)
        _, other = self.keygen("other.key")
        self.assertIn(b"INDEX   patches.txt",
                      run("verify", self.mirror, "--key", other, check=1).stdout)
        run(*make, check=0)  # makes the damaged object again
        run("verify", self.mirror, "--key", public, check=0)

    def test_nginx_configuration_for_operators(self):
        nginx = shutil.which("nginx") or "/usr/sbin/nginx"
        if under_wine() or not os.path.exists(nginx):
            self.skipTest("nginx is started once, by the native run")
        run("make", self.release, self.mirror, "--display-version", "1", check=0)
        immutable = "max-age=31536000, immutable"
        expected = {"ver.html": "no-cache", "file.html": "no-cache", "release.sig": "no-cache",
                    "patches.txt": "no-cache", "plaza/Lobby.exe": "no-cache",
                    "plaza/zst/%s.zst" % md5(b"n"): "no-cache",
                    "zst/%s.zst" % md5(b"n"): immutable,
                    "patch/%s-%s.zst" % (md5(b"n"), md5(b"o")): immutable,
                    "zst/%s.zst" % md5(b"absent"): None}
        for path, header in expected.items():
            if header and not os.path.exists(os.path.join(self.mirror, path)):
                self.write(os.path.join(self.mirror, path), b"object")
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        with open(os.path.join(os.path.dirname(__file__), "..", "..", "tools", "publish",
                               "nginx-mirror.conf")) as f:
            site = f.read()
        for old, new in (("listen 80;", "listen 127.0.0.1:%d;" % port),
                         ("/srv/launcher-mirror/", self.mirror + "/")):
            self.assertIn(old, site)
            site = site.replace(old, new)
        work = os.path.join(self.root, "nginx")
        os.makedirs(work)
        with open(os.path.join(work, "nginx.conf"), "w") as f:
            f.write("%sdaemon off;\npid %s/nginx.pid;\nerror_log %s/error.log;\n"
                    "events { }\nhttp {\naccess_log off;\nclient_body_temp_path %s;\n%s}\n"
                    % ("user root;\n" if os.geteuid() == 0 else "", work, work, work, site))
        # In the foreground, so that the test can wait for nginx to end: a daemon
        # still deleting its pid file races the removal of the folder.
        server = subprocess.Popen([nginx, "-c", os.path.join(work, "nginx.conf"), "-p", work,
                                   "-e", os.path.join(work, "error.log")])
        try:
            for _ in range(200):
                self.assertIsNone(server.poll(), "nginx ended at start")
                with socket.socket() as probe:
                    if probe.connect_ex(("127.0.0.1", port)) == 0:
                        break
                time.sleep(0.05)
            for path, header in expected.items():
                with self.subTest(path=path):
                    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
                    connection.request("GET", "/vedu/" + path)
                    response = connection.getresponse()
                    response.read()
                    connection.close()
                    self.assertEqual(response.status, 200 if header else 404)
                    self.assertEqual(response.getheader("Cache-Control"), header)
        finally:
            server.send_signal(signal.SIGQUIT)
            server.wait(timeout=30)

    def objects(self, mirror):
        """Every object under MIRROR's zst/ and patch/, with its bytes."""
        found = {}
        for folder in ("zst", "patch"):
            top = os.path.join(mirror, folder)
            for name in os.listdir(top) if os.path.isdir(top) else []:
                found[folder + "/" + name] = self.read(os.path.join(top, name))
        return found

    @staticmethod
    def index_objects(text):
        """The object paths a patches.txt names."""
        named = set()
        for line in text.decode().splitlines():
            words = line.split()
            if words[0] == "zst":
                named.add("zst/%s.zst" % words[1])
            elif words[0] == "patch":
                named.add("patch/%s-%s.zst" % (words[1], words[2]))
        return named

    def three_releases(self):
        """Three releases of one game published in turn to self.mirror, each
        with patches from a kept copy of every earlier one. Returns the
        releases' files and the copies' folders."""
        rng = random.Random(29)
        text = b"".join(b"entry %d of the table\n" % i for i in range(20000))
        game = rng.randbytes(200_000)
        releases = []
        for n in range(3):
            releases.append({
                "Lobby.exe": game[:n * 1000] + b"v%d" % n + game[n * 1000 + 10:],
                "table.txt": text.replace(b"entry 7 ", b"entry %d " % (70 + n)),
                "same.txt": text[:50_000],
                "noise.dat": rng.randbytes(30_000),  # new each time, never compresses
                "gone%d.txt" % n: text[n * 1000:n * 1000 + 40_000],
            })
        copies = []
        for n, files in enumerate(releases):
            folder = os.path.join(self.root, "r%d" % n)
            for name, data in files.items():
                self.write(os.path.join(folder, name), data)
            run("make", folder, self.mirror, "--display-version", str(n),
                *[w for c in copies for w in ("--patch-from", c)], check=0)
            copies.append(os.path.join(self.root, "copy%d" % n))
            shutil.copytree(self.mirror, copies[-1])
        return releases, copies

    def test_make_records_each_release(self):
        releases, _ = self.three_releases()
        records = sorted(os.listdir(os.path.join(self.mirror, "releases")))
        self.assertEqual(records, ["00000%d.patches.txt" % n for n in (1, 2, 3)])
        self.assertEqual(self.read(os.path.join(self.mirror, "releases", records[-1])),
                         self.read(os.path.join(self.mirror, "patches.txt")))
        # The same release again replaces its record; another adds one.
        run("make", os.path.join(self.root, "r2"), self.mirror, "--display-version", "2",
            check=0)
        self.assertEqual(len(os.listdir(os.path.join(self.mirror, "releases"))), 3)
        run("make", os.path.join(self.root, "r0"), self.mirror, "--display-version", "0",
            check=0)
        records = sorted(os.listdir(os.path.join(self.mirror, "releases")))
        self.assertEqual(records[-1], "000004.patches.txt")
        run("verify", self.mirror, check=0)

    def test_prune_keeps_what_the_last_releases_name(self):
        releases, copies = self.three_releases()
        history = os.path.join(self.mirror, "releases")
        indexes = [self.read(os.path.join(history, n)) for n in sorted(os.listdir(history))]
        kept = self.index_objects(indexes[1]) | self.index_objects(indexes[2])
        before = self.objects(self.mirror)
        gone = set(before) - kept
        # The first release's copies of files that changed since are named by
        # its index alone; the second's patches from the first are kept.
        self.assertIn("zst/%s.zst" % md5(releases[0]["table.txt"]), gone)
        self.assertIn("zst/%s.zst" % md5(releases[0]["gone0.txt"]), gone)
        self.assertIn("patch/%s-%s.zst" % (md5(releases[1]["table.txt"]),
                                           md5(releases[0]["table.txt"])), kept)
        self.assertTrue(kept <= set(before))

        other = os.path.join(self.mirror, "zst", "notes.txt")  # not an object: never touched
        self.write(other, b"mine")
        dry = run("prune", self.mirror, "--keep", "2", check=0).stdout
        self.assertEqual(self.objects(self.mirror), {**before, "zst/notes.txt": b"mine"})
        for name in gone:
            self.assertIn(b"would remove " + name.encode(), dry)
        freed = sum(len(before[n]) for n in gone)
        self.assertIn(b"would free %d bytes in %d objects" % (freed, len(gone)), dry)

        applied = run("prune", self.mirror, "--keep", "2", "--apply", check=0).stdout
        self.assertIn(b"freed %d bytes in %d objects" % (freed, len(gone)), applied)
        after = self.objects(self.mirror)
        self.assertEqual(set(after), kept | {"zst/notes.txt"})
        run("verify", self.mirror, check=0)

        # Every kept object decodes to the file it is named after.
        old_files = {}
        for n, files in enumerate(releases):
            for name, data in files.items():
                old_files[md5(data)] = os.path.join(self.root, "r%d" % n, name)
        for name in kept:
            path = os.path.join(self.mirror, name)
            digests = os.path.basename(name)[:-4].split("-")
            base = old_files[digests[1]] if len(digests) == 2 else None
            self.assertEqual(md5(unzstd(path, base)), digests[0], name)

        # A launcher on any older release still reaches the newest: each file
        # unchanged, or by a patch the current index lists, or by the
        # compressed copy, or by the plain file under plaza/.
        current = self.index_objects(self.read(os.path.join(self.mirror, "patches.txt")))
        newest = decode_list(self.read(os.path.join(self.mirror, "file.html")))
        for n, files in enumerate(releases[:2]):
            have = {listed_name(k): md5(v) for k, v in files.items()}
            ways = {"unchanged": 0, "patch": 0, "zst": 0, "plain": 0}
            for name, size, digest in newest:
                digest = digest.decode()
                old = have.get(name)
                patch = "patch/%s-%s.zst" % (digest, old)
                if old == digest:
                    ways["unchanged"] += 1
                elif old and patch in current:
                    self.assertEqual(md5(unzstd(os.path.join(self.mirror, patch),
                                                old_files[old])), digest)
                    ways["patch"] += 1
                elif "zst/%s.zst" % digest in current:
                    self.assertEqual(md5(unzstd(os.path.join(self.mirror, "zst",
                                                             digest + ".zst"))), digest)
                    ways["zst"] += 1
                else:
                    plain = os.path.join(self.mirror, "plaza", os.fsdecode(name[1:]))
                    self.assertEqual(md5(self.read(plain)), digest)
                    ways["plain"] += 1
            # Every file has its object, so no launcher that reads the index
            # falls back to a plain file.
            self.assertTrue(ways["patch"] and ways["unchanged"] and not ways["plain"], ways)

        # --keep 1 leaves what the current index names, and nothing else.
        run("prune", self.mirror, "--keep", "1", "--apply", check=0)
        self.assertEqual(set(self.objects(self.mirror)), current | {"zst/notes.txt"})
        run("verify", self.mirror, check=0)

    def test_prune_refuses_without_an_index(self):
        run("make", self.release, self.mirror, "--display-version", "1", check=0)
        self.assertEqual(run("prune", self.mirror).returncode, 2)
        self.assertEqual(run("prune", self.mirror, "--keep", "0").returncode, 2)
        with open(os.path.join(self.mirror, "releases", "000001.patches.txt"), "ab") as f:
            f.write(b"not an index line\n")
        self.assertIn(b"000001.patches.txt", run("prune", self.mirror, "--keep", "1",
                                                 check=1).stderr)
        os.remove(os.path.join(self.mirror, "patches.txt"))
        self.assertIn(b"nothing was removed", run("prune", self.mirror, "--keep", "1",
                                                  check=1).stderr)

    def test_objects_are_the_same_on_any_number_of_threads(self):
        rng = random.Random(4)
        text = b"".join(b"row %d\n" % rng.randrange(10**6) for _ in range(40_000))
        old = {"a%d.txt" % i: text[i * 7000:] for i in range(8)}
        old["big.dat"] = rng.randbytes(100_000) * 3
        new = {n: d[:100] + b"changed" + d[100:] for n, d in old.items()}
        for name, files in (("old", old), ("new", new)):
            for file, data in files.items():
                self.write(os.path.join(self.root, name, file), data)
        oldm = os.path.join(self.root, "oldm")
        run("make", os.path.join(self.root, "old"), oldm, "--display-version", "1", check=0)
        made = []
        for jobs in ("1", "4"):
            mirror = os.path.join(self.root, "m" + jobs)
            run("make", os.path.join(self.root, "new"), mirror, "--display-version", "2",
                "--patch-from", oldm, "--jobs", jobs, check=0)
            made.append((self.objects(mirror), self.read(os.path.join(mirror, "patches.txt"))))
        self.assertEqual(made[0], made[1])
        self.assertEqual(len([n for n in made[0][0] if n.startswith("patch/")]), 9)
        # Repeats a megabyte apart compress (the probe sees them too).
        self.assertIn("zst/%s.zst" % md5(new["big.dat"]), made[0][0])
        self.assertEqual(run("make", self.release, self.mirror, "--display-version", "1",
                             "--jobs", "0").returncode, 1)

    def test_progress(self):
        result = run("make", self.release, self.mirror, "--display-version", "1", check=0)
        lines = result.stdout.splitlines()
        self.assertTrue(any(l.startswith(b"copying: %d files" % len(self.files)) for l in lines))
        self.assertTrue(any(l.startswith(b"compressing: ") for l in lines))
        self.assertNotIn(b"\r", result.stdout)
        if under_wine():
            return  # a terminal is the native tool's
        import pty
        leader, follower = pty.openpty()
        shutil.rmtree(self.mirror)
        child = subprocess.Popen([*PUBLISH, "make", self.release, self.mirror,
                                  "--display-version", "1"], stdout=follower,
                                 stderr=subprocess.DEVNULL)
        os.close(follower)
        seen = b""
        while True:
            try:
                chunk = os.read(leader, 4096)
            except OSError:  # the child closed the terminal
                break
            if not chunk:
                break
            seen += chunk
        os.close(leader)
        self.assertEqual(child.wait(), 0)
        self.assertRegex(seen, rb"\rcopying: 0/\d+ files, 0\.0/[\d.]+ MiB, [\d.]+ MB/s, "
                               rb"--:-- left\x1b\[K")
        self.assertIn(b"\rcompressing: %d files" % len(self.files), seen)

    # ---- Objects publish leaves out, the release made all the same ----

    def test_objects_that_cannot_or_must_not_be_made_are_left_out(self):
        def patches(mirror):
            with open(os.path.join(mirror, "patches.txt")) as f:
                return [line.split()[1:3] for line in f if line.startswith("patch ")]

        # An old mirror whose copy is not as its list says: no patch from it,
        # a note, and the release with every file.
        game = random.Random(28).randbytes(200_000)
        old_folder, new_folder = (os.path.join(self.root, n) for n in ("old", "new"))
        self.write(os.path.join(old_folder, "game.pak"), game)
        self.write(os.path.join(new_folder, "game.pak"), game[:1000] + b"new" + game[1000:])
        older = os.path.join(self.root, "older")
        run("make", old_folder, older, "--display-version", "1", check=0)
        self.write(os.path.join(older, "plaza", "game.pak"), bytes(len(game)))
        result = run("make", new_folder, self.mirror, "--display-version", "2",
                     "--patch-from", older, check=0)
        self.assertIn(b"it is not as its list says", result.stderr)
        self.assertEqual(patches(self.mirror), [])

        # A pair over the cap on what a patch may map (768 MiB) gets no
        # patch, however well one would pay. The cap is judged on the listed
        # sizes before a byte is read, so the old list claims a large file.
        self.write(os.path.join(older, "plaza", "game.pak"), game)
        entries = decode_list(self.read(os.path.join(older, "file.html")))
        self.write(os.path.join(older, "file.html"), b"".join(
            scramble(f) + b"\r\n" for name, _, digest in entries
            for f in (name, b"%d" % (800 << 20), digest)))
        run("make", new_folder, self.mirror, "--display-version", "3", "--patch-from", older,
            check=0)
        self.assertEqual(patches(self.mirror), [])

    # ---- end of the objects publish leaves out ----

    def test_every_command_has_help(self):
        for command in ("make", "decode", "verify", "verify-install", "md5", "keygen", "prune"):
            result = run(command, "--help", check=0)
            self.assertIn(b"usage: publish " + command.encode(), result.stdout)
        self.assertEqual(run("make", self.release).returncode, 2)


if __name__ == "__main__":
    PUBLISH = sys.argv[1:]
    unittest.main(argv=sys.argv[:1])
