#!/usr/bin/env python3
"""The update through a proxy, as in a café or an office where only the proxy
reaches the internet: Launcher.exe under Wine, with tinyproxy on loopback set
as the proxy in the Wine prefix's Internet Settings, and a mirror that refuses
every request that did not come through it. The whole update (ver.html,
file.html, the files, and release.sig when the build checks signatures) must
go through. Then the proxy wants a login (407): the launcher says so, and
nothing reaches the mirror or changes.

  proxy_e2e.py --build BUILD_DIR --wine-run scripts/wine-run \\
               --publish "scripts/wine-run BUILD_DIR/tools/publish/publish.exe"

Needs a display (DISPLAY), tinyproxy, and the port of the built-in mirror
(18080). The proxy setting is taken out of the prefix again at the end.
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import launcher_install as li  # noqa: E402

check, write = li.check, li.write

PROXY_NAME = "launcher-e2e-proxy"
SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Tinyproxy:
    """tinyproxy in the foreground on a loopback port, from a config file of
    our own; LOGIN ("user pass") makes it demand Basic authentication."""

    def __init__(self, work, port, login=None):
        self.conf = os.path.join(work, "tinyproxy.conf")
        lines = ["Port %d" % port, "Listen 127.0.0.1", "Timeout 60", "MaxClients 20",
                 "LogLevel Warning", 'ViaProxyName "%s"' % PROXY_NAME]
        if login:
            lines.append("BasicAuth %s" % login)
        with open(self.conf, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.port = port
        self.process = subprocess.Popen(["tinyproxy", "-d", "-c", self.conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not li.wait_for(self._listening, 10):
            self.stop()
            raise RuntimeError("tinyproxy did not start on port %d" % port)

    def _listening(self):
        try:
            socket.create_connection(("127.0.0.1", self.port), 0.2).close()
            return True
        except OSError:
            return False

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def set_proxy(wine_run, port):
    """Sets (PORT) or takes out (None) the prefix's static proxy."""
    if port:
        commands = [["/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1"],
                    ["/v", "ProxyServer", "/t", "REG_SZ", "/d", "127.0.0.1:%d" % port]]
        for values in commands:
            subprocess.run([wine_run, "reg", "add", SETTINGS] + values + ["/f"],
                           stdout=subprocess.DEVNULL, check=True)
    else:
        subprocess.run([wine_run, "reg", "add", SETTINGS, "/v", "ProxyEnable", "/t", "REG_DWORD",
                        "/d", "0", "/f"], stdout=subprocess.DEVNULL)
        subprocess.run([wine_run, "reg", "delete", SETTINGS, "/v", "ProxyServer", "/f"],
                       stdout=subprocess.DEVNULL)


def direct_status(url):
    try:
        return urllib.request.urlopen(url, timeout=10).status
    except urllib.error.HTTPError as e:
        return e.code


def run(args):
    work = tempfile.mkdtemp(prefix="launcher-proxy-")
    install = os.path.join(work, "install")
    mirror = proxy = None
    # A time-out ends us with SIGTERM: still take the proxy out of the prefix.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        li.make_installation(args.build, install)
        release = li.Release(args, work)
        write(release.path("data", "a.bin"), os.urandom(200000))
        write(release.path("data", "sub", "b.txt"), b"new text\r\n")
        stamp = release.publish()
        mirror = li.start_mirror(release.mirror_dir, require_via=PROXY_NAME)
        check(direct_status(mirror.url + "ver.html") == 403,
              "the mirror refuses a request that skips the proxy")
        mirror.clear_faults()

        port = free_port()
        proxy = Tinyproxy(work, port)
        set_proxy(args.wine_run, port)
        launcher = li.start_launcher(args.wine_run, install)
        updated = li.wait_for(lambda: li.read(os.path.join(install, "ver.ini")) == stamp, 90)
        li.stop_launcher(launcher, install)
        check(updated, "the update went through the proxy")
        log = mirror.request_log()
        paths = [r["path"] for r in log]
        wanted = ["/vedu/ver.html", "/vedu/file.html", "/vedu/plaza/data/a.bin",
                  "/vedu/plaza/data/sub/b.txt"]
        if li.signing_args(args.build):
            wanted.append("/vedu/release.sig")
        check(all(p in paths for p in wanted), "every kind of request was made (%s)" % paths)
        direct = [r["path"] for r in log if PROXY_NAME not in r["via"]]
        check(not direct, "no request went past the proxy (%s)" % direct)

        # The proxy now wants a login the launcher does not have.
        proxy.stop()
        proxy = Tinyproxy(work, port, login="player secret")
        write(release.path("data", "a.bin"), os.urandom(1000))
        release.publish("2.5.1")
        mirror.clear_faults()
        launcher_log = os.path.join(install, "Launcher.log")
        if os.path.exists(launcher_log):
            os.remove(launcher_log)
        launcher = li.start_launcher(args.wine_run, install)
        refused = li.wait_for(lambda: b"HttpStatus:407" in (li.read(launcher_log) or b""), 60)
        li.stop_launcher(launcher, install)
        check(refused, "the launcher heard the proxy's 407 (%s)" % li.read(launcher_log))
        check(not mirror.request_log(), "nothing reached the mirror without the login")
        check(li.read(os.path.join(install, "ver.ini")) == stamp, "the installation is unchanged")
    finally:
        li.stop_programs_in(install)
        set_proxy(args.wine_run, None)
        if proxy:
            proxy.stop()
        if mirror:
            mirror.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if li.failures else 0


def main():
    return run(li.parse_args(__doc__))


if __name__ == "__main__":
    sys.exit(main())
