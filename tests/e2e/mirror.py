#!/usr/bin/env python3
"""A download mirror on loopback: serves a folder as static files, with faults
that can be switched on per path.

The launcher needs nothing from a mirror but static files, so this is a plain
file server. The faults play the ways a real mirror or network goes wrong:

  404, 500   an error page with a body (and a Content-Length)
  407        a proxy's demand for a login (Proxy-Authenticate: Basic)
  chunked    the body without Content-Length (chunked transfer coding)
  truncate   a full Content-Length, half the body, then the connection closes
  reset      the connection is reset before any answer
  stall      the headers and a little of the body (or `after` bytes of it), then
             nothing for a while
  trickle    the body in small pieces with pauses between them
  drip       the headers (and `after` bytes of the body at once), then one byte
             of the body every `seconds`
  corrupt    the body with one byte changed (same length)
  stale      a whole answer of another length: an old copy from a cache
  late       the request is read, then nothing is sent for a while, then the
             whole answer
  silent     the request is read, then nothing is sent for a while, then a 503
             (an answer: a connection closed instead makes WinInet send the
             request again when it had reused the connection, and a client
             that gave up long ago would then show up in a later request log)

Ranges are ignored: every answer is the whole file, as some servers do.

With `require_via` set, a request that did not come through a proxy naming
itself so in its Via header is refused (403), as where the network lets only
the proxy reach the mirror.

Use it as a module (Mirror(root).start()) or from the command line:

  python3 tests/e2e/mirror.py --root DIR --port 18080 [--prefix /vedu/]

Other processes switch faults through the control paths (loopback only):

  GET /__control/fault?path=/vedu/ver.html&kind=404[&times=1][&seconds=5][&after=N]
  GET /__control/clear          all faults off, request log emptied
  GET /__control/requests       the request log as JSON lines
  GET /__control/zstd?in=A&out=B[&from=C]
                                compresses the mirror's file A into B with the
                                zstd command line, or (with C) makes the patch
                                from C to A; paths below the root
"""

import argparse
import json
import os
import posixpath
import socket
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "standins"))
import loopback  # noqa: E402

FAULT_KINDS = ("404", "407", "500", "chunked", "truncate", "reset", "stall", "trickle", "corrupt",
               "silent", "drip", "stale", "late")
BLOCK = 1 << 20


class Fault:
    def __init__(self, kind, times=None, seconds=5.0, rate=4096, after=None):
        if kind not in FAULT_KINDS:
            raise ValueError("unknown fault kind: %s" % kind)
        self.kind = kind
        self.times = times  # None: every request; n: the next n requests only
        self.seconds = float(seconds)
        self.rate = int(rate)
        self.after = None if after is None else int(after)  # bytes before a stall or drip


class Mirror(loopback.LoopbackServer):
    """A threaded loopback HTTP server over ROOT, published under PREFIX."""

    def __init__(self, root, port=0, prefix="/vedu/", require_via=None):
        self.root = os.path.abspath(root)
        self.require_via = require_via
        self.prefix = "/" + prefix.strip("/") + "/" if prefix.strip("/") else "/"
        self._faults = {}
        self._lock = threading.Lock()
        self._stopping = threading.Event()
        self.requests = []
        super().__init__(_Handler, port)

    @property
    def url(self):
        return "http://127.0.0.1:%d%s" % (self.port, self.prefix)

    def stop(self):
        self._stopping.set()
        super().stop()

    def set_fault(self, path, kind, **options):
        """Switch a fault on for PATH (relative to the prefix, e.g. 'ver.html')."""
        with self._lock:
            self._faults[self._key(path)] = Fault(kind, **options)

    def clear_faults(self):
        """Switches every fault off and forgets the request log."""
        with self._lock:
            self._faults.clear()
            self.requests.clear()

    def take_fault(self, url_path):
        with self._lock:
            fault = self._faults.get(url_path)
            if fault is None:
                return None
            if fault.times is not None:
                fault.times -= 1
                if fault.times <= 0:
                    del self._faults[url_path]
            return fault

    def log(self, entry):
        with self._lock:
            self.requests.append(entry)

    def request_log(self):
        with self._lock:
            return list(self.requests)

    def zstd(self, source, out, base=None):
        """What the publish tool makes, with the zstd command line: the
        compressed copy of SOURCE, or the patch from BASE to SOURCE."""
        paths = [self.root_file(p) for p in (source, out, base) if p is not None]
        os.makedirs(os.path.dirname(paths[1]), exist_ok=True)
        command = ["zstd", "-19", "-q", "-f"]
        if base is not None:
            command += ["--long=27", "--patch-from=" + paths[2]]
        subprocess.run(command + [paths[0], "-o", paths[1]], check=True)
        return b"ok"

    def root_file(self, relative):
        path = os.path.normpath(os.path.join(self.root, relative))
        if not path.startswith(self.root + os.sep):
            raise ValueError("outside the root: %s" % relative)
        return path

    def _key(self, path):
        if path.startswith("/"):
            return path
        return self.prefix + path

    def local_path(self, url_path):
        """The file for URL_PATH, or None when it is outside the root.

        The request line arrives as Latin-1 text, so its characters are the
        bytes the client sent. A name outside ASCII comes in the client's code
        page (GBK for the launcher), raw or %-escaped, and is looked up byte
        for byte, the way a static web server maps it onto its disk (the
        publish tool writes GBK names there). A folder written under Wine
        holds the same names in UTF-8, which is tried next. Only '/'
        separates: a backslash may be the second byte of a GBK character."""
        if not url_path.startswith(self.prefix):
            return None
        rel = urllib.parse.unquote_to_bytes(url_path[len(self.prefix):].encode("latin-1"))
        norm = posixpath.normpath(b"/" + rel).lstrip(b"/")
        if norm.startswith(b".."):
            return None
        root = os.fsencode(self.root)
        path = os.path.join(root, *norm.split(b"/")) if norm else root
        if not os.path.exists(path):
            try:
                utf8 = norm.decode("gbk").encode("utf-8")
            except UnicodeDecodeError:
                return path
            return os.path.join(root, *utf8.split(b"/"))
        return path


class _Handler(loopback.Handler):
    def handle(self):
        # A client that gives up mid-body (a cancelled download) is normal.
        try:
            super().handle()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def do_HEAD(self):
        self._serve(head=True)

    def do_GET(self):
        self._serve(head=False)

    def _serve(self, head):
        mirror = self.owner
        parsed = urllib.parse.urlsplit(self.path)
        if parsed.path.startswith("/__control/"):
            return self._control(parsed)
        entry = {
            "path": parsed.path,
            "agent": self.headers.get("User-Agent", ""),
            "pragma": self.headers.get("Pragma", ""),
            "cache_control": self.headers.get("Cache-Control", ""),
            "range": self.headers.get("Range", ""),
            "via": self.headers.get("Via", ""),
            "time": time.time(),
        }
        mirror.log(entry)
        if mirror.require_via and mirror.require_via not in self.headers.get("Via", ""):
            return self._simple(403, b"<html><body>only through the proxy</body></html>", head)
        fault = mirror.take_fault(parsed.path)
        if fault and fault.kind == "reset":
            return self._reset()
        if fault and fault.kind == "late":
            self.owner._stopping.wait(fault.seconds)
            fault = None
        if fault and fault.kind == "silent":
            self.owner._stopping.wait(fault.seconds)
            self.close_connection = True
            return self._simple(503, b"<html><body>too late</body></html>", head)
        if fault and fault.kind in ("404", "407", "500"):
            body = ("<html><body>%s error page</body></html>" % fault.kind).encode()
            return self._simple(int(fault.kind), body, head)
        local = mirror.local_path(parsed.path)
        if local is None or not os.path.isfile(local):
            return self._simple(404, b"<html><body>not found</body></html>", head)
        size = os.path.getsize(local)
        entry["bytes"] = size  # the body announced, whole or cut short by a fault
        if fault and fault.kind == "stale":
            with open(local, "rb") as f:
                body = f.read()
            body = body[:len(body) // 2] if len(body) > 1 else body + b"old"
            entry["bytes"] = len(body)
            return self._simple(200, body, head)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if fault and fault.kind == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        if head:
            return
        with open(local, "rb") as f:
            if fault is None:
                return self._copy(f)
            return self._faulty_body(f, size, fault)

    def _copy(self, f):
        while True:
            block = f.read(BLOCK)
            if not block:
                return
            self.wfile.write(block)

    def _faulty_body(self, f, size, fault):
        kind = fault.kind
        if kind == "chunked":
            while True:
                block = f.read(BLOCK)
                if not block:
                    break
                self.wfile.write(b"%x\r\n%s\r\n" % (len(block), block))
            self.wfile.write(b"0\r\n\r\n")
        elif kind == "truncate":
            self.wfile.write(f.read(size // 2))
            self.wfile.flush()
            self.close_connection = True
            self._hard_close()
        elif kind == "stall":
            self.wfile.write(f.read(min(size // 2, 1024) if fault.after is None else fault.after))
            self.wfile.flush()
            self.owner._stopping.wait(fault.seconds)
            self.close_connection = True
            self._hard_close()
        elif kind == "trickle":
            while True:
                block = f.read(fault.rate)
                if not block or self.owner._stopping.is_set():
                    break
                self.wfile.write(block)
                self.wfile.flush()
                time.sleep(0.05)
        elif kind == "drip":
            if fault.after:
                self.wfile.write(f.read(fault.after))
                self.wfile.flush()
            while not self.owner._stopping.wait(fault.seconds):
                block = f.read(1)
                if not block:
                    break
                self.wfile.write(block)
                self.wfile.flush()
        elif kind == "corrupt":
            data = bytearray(f.read())
            if data:
                data[len(data) // 2] ^= 0xFF
            self.wfile.write(bytes(data))

    def _simple(self, status, body, head):
        self.send_response(status)
        if status == 407:
            self.send_header("Proxy-Authenticate", 'Basic realm="mirror"')
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not head:
            self.wfile.write(body)

    def _reset(self):
        self.close_connection = True
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self._hard_close()

    def _hard_close(self):
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def _control(self, parsed):
        mirror = self.owner
        query = dict(urllib.parse.parse_qsl(parsed.query))
        action = parsed.path[len("/__control/"):]
        try:
            if action == "fault":
                options = {}
                if "times" in query:
                    options["times"] = int(query["times"])
                if "seconds" in query:
                    options["seconds"] = float(query["seconds"])
                if "rate" in query:
                    options["rate"] = int(query["rate"])
                if "after" in query:
                    options["after"] = int(query["after"])
                mirror.set_fault(query["path"], query["kind"], **options)
                body = b"ok"
            elif action == "clear":
                mirror.clear_faults()
                body = b"ok"
            elif action == "zstd":
                body = mirror.zstd(query["in"], query["out"], query.get("from"))
            elif action == "requests":
                body = "".join(json.dumps(r) + "\n" for r in mirror.request_log()).encode()
            else:
                return self._simple(404, b"unknown control", False)
        except (KeyError, ValueError, subprocess.CalledProcessError) as e:
            return self._simple(400, str(e).encode(), False)
        self._simple(200, body, False)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Serve a mirror folder on loopback.")
    parser.add_argument("--root", required=True, help="folder holding ver.html, file.html, plaza/")
    parser.add_argument("--port", type=int, default=18080)
    parser.add_argument("--prefix", default="/vedu/", help="URL path the folder is served under")
    parser.add_argument("--fault", action="append", default=[], metavar="PATH=KIND",
                        help="switch a fault on from the start, e.g. ver.html=404")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.root):
        parser.error("no such folder: %s" % args.root)
    mirror = Mirror(args.root, args.port, args.prefix)
    for item in args.fault:
        path, _, kind = item.partition("=")
        mirror.set_fault(path, kind)
    print("serving %s at %s" % (mirror.root, mirror.url), flush=True)
    try:
        mirror.server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        mirror.server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
