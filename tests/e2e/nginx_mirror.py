"""nginx serving a mirror folder on loopback, the way operators serve it.

Debian's nginx runs here as an ordinary process with its own config file,
pid file, logs and temporary folders under a private work folder: not as a
system service. It is stopped by the PID it wrote.

  with NginxMirror(root, port) as mirror:
      mirror.url            # http://127.0.0.1:PORT/vedu/
      mirror.request_log()  # one dict per finished request, oldest first

Each access-log entry has: path (as sent, still %-escaped), status, bytes
(body bytes sent), range (the Range header or ""), time (when the request
ended, seconds since the epoch) and seconds (nginx's request time).

From the command line it serves a folder until interrupted:

  python3 tests/e2e/nginx_mirror.py --root DIR --port 18080
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

NGINX = shutil.which("nginx") or "/usr/sbin/nginx"

CONFIG = """\
{user}daemon on;
worker_processes 1;
pid {work}/nginx.pid;
error_log {work}/error.log warn;
events {{ worker_connections 64; }}
http {{
    types {{ }}
    default_type application/octet-stream;
    sendfile on;
    log_format launcher '$request_uri\\t$status\\t$body_bytes_sent\\t$http_range\\t$msec\\t$request_time';
    access_log {work}/access.log launcher;
    client_body_temp_path {work}/tmp;
    proxy_temp_path {work}/tmp;
    fastcgi_temp_path {work}/tmp;
    uwsgi_temp_path {work}/tmp;
    scgi_temp_path {work}/tmp;
{site}
}}
"""

SERVER = """\
    server {{
        listen 127.0.0.1:{port};
        server_name localhost;
        location {prefix} {{
            alias {root}/;{limit}
        }}
    }}
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class NginxMirror:
    def __init__(self, root, port=0, prefix="/vedu/", rate="0", site=None):
        """RATE: nginx's limit_rate per connection ("0" unlimited, "512k").
        SITE: instead of the plain server over ROOT, a text for the http
        block (an operator's configuration); "{work}" in it stands for the
        instance's private folder."""
        self.root = os.path.abspath(root) if root else None
        self.port = port or free_port()
        self.prefix = prefix
        self.rate = rate
        self.site = site
        self.work = None
        self.pid = None

    @property
    def url(self):
        return "http://127.0.0.1:%d%s" % (self.port, self.prefix)

    def start(self, attempts=60):
        self.work = tempfile.mkdtemp(prefix="launcher-nginx-")
        os.makedirs(os.path.join(self.work, "tmp"))
        conf = os.path.join(self.work, "nginx.conf")
        with open(conf, "w") as f:
            # As root the workers would drop to "nobody", who cannot read
            # a private temporary folder.
            user = "user root;\n" if os.geteuid() == 0 else ""
            site = self.site.replace("{work}", self.work) if self.site else SERVER.format(
                port=self.port, prefix=self.prefix, root=self.root,
                limit="\n            limit_rate %s;" % self.rate if self.rate != "0" else "")
            f.write(CONFIG.format(user=user, work=self.work, site=site))
        for _ in range(attempts):
            done = subprocess.run([NGINX, "-c", conf, "-p", self.work, "-e",
                                   os.path.join(self.work, "error.log")],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if done.returncode == 0:
                break
            if b"Address already in use" not in done.stderr:
                raise RuntimeError("nginx did not start: %s" % done.stderr.decode())
            time.sleep(0.5)
        else:
            raise RuntimeError("port %d stays busy" % self.port)
        pidfile = os.path.join(self.work, "nginx.pid")
        for _ in range(100):
            try:
                with open(pidfile) as f:
                    self.pid = int(f.read())
                break
            except (OSError, ValueError):
                time.sleep(0.05)
        if self.pid is None:
            raise RuntimeError("nginx wrote no pid file")
        return self

    def stop(self):
        if self.pid:
            try:
                os.kill(self.pid, signal.SIGQUIT)  # graceful: workers end too
            except OSError:
                pass
            for _ in range(100):
                try:
                    os.kill(self.pid, 0)
                except OSError:
                    break
                time.sleep(0.05)
            else:
                os.kill(self.pid, signal.SIGKILL)
            self.pid = None
        if self.work:
            shutil.rmtree(self.work, ignore_errors=True)
            self.work = None

    def __enter__(self):
        return self if self.pid else self.start()

    def __exit__(self, *exc):
        self.stop()

    def clear_log(self):
        open(os.path.join(self.work, "access.log"), "w").close()

    def request_log(self):
        entries = []
        try:
            with open(os.path.join(self.work, "access.log"), encoding="latin-1") as f:
                lines = f.read().splitlines()
        except OSError:
            return entries
        for line in lines:
            parts = line.split("\t")
            if len(parts) != 6:
                continue
            entries.append({"path": parts[0], "status": int(parts[1]), "bytes": int(parts[2]),
                            "range": "" if parts[3] == "-" else parts[3],
                            "time": float(parts[4]), "seconds": float(parts[5])})
        return entries


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=18080)
    parser.add_argument("--prefix", default="/vedu/")
    args = parser.parse_args(argv)
    with NginxMirror(args.root, args.port, args.prefix) as mirror:
        print("serving %s at %s (nginx pid %d)" % (mirror.root, mirror.url, mirror.pid),
              flush=True)
        # Blocked first, so that either signal is taken here and nginx is
        # stopped, instead of ending this process and leaving nginx behind.
        stops = {signal.SIGINT, signal.SIGTERM}
        signal.pthread_sigmask(signal.SIG_BLOCK, stops)
        signal.sigwait(stops)
    return 0


if __name__ == "__main__":
    sys.exit(main())
