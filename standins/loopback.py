"""The loopback HTTP server under the web service stand-in and the test
mirror: a handler class that reaches the object serving it, answered on
127.0.0.1 from a thread of its own."""

import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    """Speaks HTTP/1.1 and keeps stderr quiet; `owner` is the LoopbackServer
    it serves."""

    owner = None
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass


class LoopbackServer:
    """Serves HANDLER (a Handler subclass) on 127.0.0.1:PORT, a free port for
    0, once started."""

    def __init__(self, handler, port):
        class Bound(handler):
            owner = self

        self.server = ThreadingHTTPServer(("127.0.0.1", port), Bound)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self._thread = None

    def start(self):
        if not self._thread:
            self._thread = threading.Thread(target=self.server.serve_forever, daemon=True)
            self._thread.start()
        return self

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
        self._thread.join()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
