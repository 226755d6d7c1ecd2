#!/usr/bin/env python3
"""A loopback stand-in for the operator's web services, so the launcher's
requests can be seen. It answers every page the launcher asks for with a
small HTML page naming it, and appends each request line to a log, bytes as
they came (the launcher escapes only the few bytes that would break a query,
and the browser sends GBK bytes raw).

Use it as a module (WebService(log).start()) or from the command line:

  python3 standins/webservice.py --log FILE [--port 18081]

The paths are those of the launcher's default demo hosts
(cmake/Settings.cmake): /service/, /register/, /member/, /www/, /pay/ and
the bare domain /.
"""

import argparse
import hashlib
import html
import sys
import threading
import time
import urllib.parse

import loopback

DEMO_PORT = 18081
STATISTICS_SALT = "5b1f0c9a7e2d43a8b6c0f1e29d7a4c38"

PAGES = {
    "/logo.html": "Logo",
    "/service/DataSubmitAD.aspx": "Statistics received",
    "/service/client.aspx": "QQ online service",
    "/service/QQLogin.aspx": "QQ login",
    "/register/client_validate.aspx": "Account validation",
    "/register/client_reg.aspx": "Registration",
    "/member/Protect/": "Password help",
    "/www/": "Front page",
    "/www/ct/news/": "News",
    "/www/download/": "Manual download",
    "/pay/": "Payment",
}


def statistics_signature(channel, bar, mac):
    """The sign= of a statistics report, worked out the service's way."""
    text = "%d%d%d%s%d%d%d%s" % (channel, bar, 0, mac, 0, 0, 0, STATISTICS_SALT)
    return hashlib.md5(text.encode("latin-1")).hexdigest()


def target_of(line):
    """The path and query of a logged request line, bytes as sent."""
    return line[len("GET "):line.rindex(" HTTP/")] if line.startswith("GET ") else ""


def query_of(target):
    """The query's fields in order, split on & and = without decoding."""
    query = target.split("?", 1)[1] if "?" in target else ""
    return [tuple(part.split("=", 1)) if "=" in part else (part, None)
            for part in query.split("&")]


def check_statistics(target):
    """True when a statistics report's sign= matches its own fields."""
    values = dict(query_of(target))
    try:
        expected = statistics_signature(int(values["channelId"]), int(values["barId"]),
                                        values["macSerial"])
    except (KeyError, ValueError):
        return False
    return values.get("sign") == expected


class WebService(loopback.LoopbackServer):
    """A threaded HTTP server on 127.0.0.1:PORT that logs to LOG."""

    def __init__(self, log, port=DEMO_PORT):
        self.log = log
        self._lock = threading.Lock()
        super().__init__(_Handler, port)

    def record(self, raw_line):
        with self._lock, open(self.log, "ab") as f:
            f.write(raw_line.rstrip(b"\r\n") + b"\n")

    def raw_requests(self):
        """The logged request lines, bytes as they came."""
        try:
            with open(self.log, "rb") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def requests(self):
        """The logged request lines as text (GBK bytes decoded)."""
        return [line.decode("gbk", "replace") for line in self.raw_requests()]


class _Handler(loopback.Handler):
    def do_GET(self):
        self.owner.record(self.raw_requestline)
        path = urllib.parse.urlsplit(self.path).path
        title = PAGES.get(path)
        status = 200 if title else 404
        body = ("<html><head><meta charset=\"utf-8\"><title>%s</title></head>"
                "<body><h1>%s</h1><p>%s</p></body></html>\n" %
                ((title or "Not found",) * 2 + (html.escape(self.path),))).encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def open_service(log, port=DEMO_PORT, wait=180):
    """The service on PORT, waiting while another run holds the port."""
    deadline = time.time() + wait
    while True:
        try:
            return WebService(log, port).start()
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.5)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=DEMO_PORT)
    args = parser.parse_args(argv)
    service = WebService(args.log, args.port).start()
    print("web service on http://127.0.0.1:%d/, log %s" % (service.port, args.log), flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        service.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
