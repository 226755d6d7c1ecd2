#!/usr/bin/env python3
"""A TCP relay on loopback that delays every byte by a fixed time each way, as
a link to a distant server does (this kernel has no netem).

Each connection to the relay gets its own connection to the target. What one
side sends reaches the other DELAY seconds later, in order; at most WINDOW
bytes are on their way in each direction, as a link's bandwidth-delay product
bounds them, so a sender that runs ahead waits as it would for the acks. With
a RATE, what the target sends also shares that many bytes a second among all
connections, as the downlink of one line does (nginx's limit_rate holds per
connection, so parallel transfers would multiply it).

  with LatencyRelay(18080, target_port=18090, delay=0.025):
      ...   # 127.0.0.1:18080 reaches 127.0.0.1:18090 with a 50 ms round trip

  python3 tests/e2e/latency_relay.py --port 18080 --target 18090 [--delay 0.025]
"""

import argparse
import collections
import socket
import sys
import threading
import time

CHUNK = 256 << 10


class _Link:
    """A line's bandwidth, shared by every connection that goes through it."""

    def __init__(self, rate):
        self.rate = rate
        self.lock = threading.Lock()
        self.free_at = 0.0

    def carry(self, size):
        """Returns once the line has carried SIZE bytes after all it took
        before them."""
        with self.lock:
            self.free_at = max(time.monotonic(), self.free_at) + size / self.rate
            done = self.free_at
        wait = done - time.monotonic()
        if wait > 0:
            time.sleep(wait)


class _Direction:
    """One direction of one connection: a reader that timestamps what it
    reads, and a writer that sends each piece once its time has come (and,
    with a LINK, once the shared line has carried it)."""

    def __init__(self, source, sink, delay, window, link=None):
        self.source, self.sink, self.delay, self.window = source, sink, delay, window
        self.link = link
        self.pieces = collections.deque()
        self.in_flight = 0
        self.ended = False
        self.changed = threading.Condition()

    def start(self):
        for run in (self._read, self._write):
            threading.Thread(target=run, daemon=True).start()

    def _read(self):
        try:
            while True:
                with self.changed:
                    while self.in_flight >= self.window:
                        self.changed.wait()
                data = self.source.recv(CHUNK)
                if not data:
                    break
                with self.changed:
                    self.pieces.append((time.monotonic() + self.delay, data))
                    self.in_flight += len(data)
                    self.changed.notify_all()
        except OSError:
            pass
        with self.changed:
            self.pieces.append((time.monotonic() + self.delay, b""))
            self.changed.notify_all()

    def _write(self):
        try:
            while True:
                with self.changed:
                    while not self.pieces:
                        self.changed.wait()
                    due, data = self.pieces[0]
                wait = due - time.monotonic()
                if wait > 0:
                    time.sleep(wait)
                if not data:
                    self.sink.shutdown(socket.SHUT_WR)
                    return
                if self.link:
                    self.link.carry(len(data))
                self.sink.sendall(data)
                with self.changed:
                    self.pieces.popleft()
                    self.in_flight -= len(data)
                    self.changed.notify_all()
        except OSError:
            # The other side went away: so does this connection.
            for s in (self.source, self.sink):
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass


class LatencyRelay:
    def __init__(self, port, target_port, delay=0.025, window=4 << 20, rate=0):
        """RATE: bytes a second from the target, shared by all connections
        (0: no limit)."""
        self.port, self.target_port = port, target_port
        self.delay, self.window = delay, window
        self.link = _Link(rate) if rate else None
        self.listener = None

    def start(self, attempts=60):
        for _ in range(attempts):
            try:
                self.listener = socket.create_server(("127.0.0.1", self.port))
                break
            except OSError:
                time.sleep(0.5)
        else:
            raise RuntimeError("port %d stays busy" % self.port)
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self._accept, daemon=True).start()
        return self

    def stop(self):
        if self.listener:
            # Wakes the accepting thread; a close alone leaves it listening.
            try:
                self.listener.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.listener.close()
            self.listener = None

    def __enter__(self):
        return self if self.listener else self.start()

    def __exit__(self, *exc):
        self.stop()

    def _accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            try:
                server = socket.create_connection(("127.0.0.1", self.target_port))
            except OSError:
                client.close()
                continue
            for s in (client, server):
                s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            _Direction(client, server, self.delay, self.window).start()
            _Direction(server, client, self.delay, self.window, self.link).start()


def main(argv=None):
    parser = argparse.ArgumentParser(description="Relay a loopback port with a delay each way.")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--target", type=int, required=True)
    parser.add_argument("--delay", type=float, default=0.025, help="seconds each way")
    args = parser.parse_args(argv)
    relay = LatencyRelay(args.port, args.target, args.delay).start()
    print("relaying 127.0.0.1:%d to :%d, %.0f ms each way" % (relay.port, args.target,
                                                           args.delay * 1000), flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        relay.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
