#!/usr/bin/env python3
"""Drives the publish tool on real folders and reads its output with a codec
written here from the format's description, independent of the C++ one."""
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile
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

    def test_every_command_has_help(self):
        for command in ("make", "decode", "verify", "verify-install", "md5", "keygen"):
            result = run(command, "--help", check=0)
            self.assertIn(b"usage: publish " + command.encode(), result.stdout)
        self.assertEqual(run("make", self.release).returncode, 2)


if __name__ == "__main__":
    PUBLISH = sys.argv[1:]
    unittest.main(argv=sys.argv[:1])
