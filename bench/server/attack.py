#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Bounded attacks on a records server over loopback, with what a legitimate client sees.

  attack.py flood --port P --pid PID [--clients 8] [--seconds 5]
      clients stream header lines without end; prints the server's peak and final RSS.
  attack.py slow --port P [--slow 256] [--seconds 5] [--pid PID]
      slow connections send one byte every 4 s while one client sends Check WR requests
      one after another; prints their p50/p99 and how many went unanswered.
  attack.py idle --port P [--slow 10000] [--seconds 5] [--tls]
      that many connections send nothing (with --hello: a TLS ClientHello, then nothing),
      opened again as soon as the server cuts them, beside the legitimate client (over TLS
      with --tls).
"""
import resource
import select
import ssl
import argparse
import socket
import threading
import time


def rss_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def check_wr_answered(sock):
    """Sends Check WR on sock, reads to the close, and says whether it was answered 200."""
    sock.sendall(b"GET /checkwr.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n")
    reply = b""
    while True:
        chunk = sock.recv(4096)
        if not chunk:
            break
        reply += chunk
    sock.close()
    return reply.startswith(b"HTTP/1.1 200")


def connect(port, timeout=10.0):
    sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    return sock


def flood(args):
    stop = time.monotonic() + args.seconds
    peak = [rss_kib(args.pid)]
    idle = peak[0]
    line = b"X-Filler: " + b"a" * 100 + b"\r\n"

    def one():
        while time.monotonic() < stop:
            try:
                sock = connect(args.port, 2)
                sock.sendall(b"GET /checkwr.asp HTTP/1.1\r\nHost: x\r\n")
                while time.monotonic() < stop:
                    sock.sendall(line * 64)
            except OSError:
                time.sleep(0.05)  # closed by the server: come back with a new connection
            finally:
                try:
                    sock.close()
                except Exception:
                    pass

    threads = [threading.Thread(target=one) for _ in range(args.clients)]
    for thread in threads:
        thread.start()
    while any(thread.is_alive() for thread in threads):
        peak[0] = max(peak[0], rss_kib(args.pid))
        time.sleep(0.05)
    time.sleep(1.0)
    print(f"flood {args.clients} clients {args.seconds}s: idle {idle / 1024:.1f} MB, "
          f"peak {peak[0] / 1024:.1f} MB, after {rss_kib(args.pid) / 1024:.1f} MB")


def slow(args):
    sockets = []
    for _ in range(args.slow):
        try:
            sock = connect(args.port, 2)
            sock.setblocking(False)
            sockets.append(sock)
        except OSError:
            break
    opened = len(sockets)
    stop = time.monotonic() + args.seconds
    request = b"GET /checkwr.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + b"a" * 4000

    def dribble():
        sent = 0
        while time.monotonic() < stop:
            for sock in sockets:
                try:
                    sock.send(request[sent % len(request):sent % len(request) + 1])
                except OSError:
                    pass
            sent += 1
            time.sleep(min(4.0, max(0.0, stop - time.monotonic())))

    slowpoke = threading.Thread(target=dribble)
    slowpoke.start()
    time.sleep(0.5)
    latencies, failed = legitimate(args.port, False, stop)
    slowpoke.join()
    for sock in sockets:
        sock.close()

    def pct(p):
        return latencies[min(len(latencies) - 1, int(p * len(latencies)))] if latencies else 0.0

    memory = f", server RSS {rss_kib(args.pid) / 1024:.1f} MB" if args.pid else ""
    print(f"slow {opened} connections {args.seconds}s: {len(latencies)} answered, {failed} "
          f"unanswered, p50 {pct(0.5):.1f} ms, p99 {pct(0.99):.1f} ms{memory}")


def client_hello():
    """The first bytes a TLS client sends, caught over a socket pair."""
    ours, theirs = socket.socketpair()
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    wrapped = context.wrap_socket(ours, do_handshake_on_connect=False)
    wrapped.setblocking(False)
    try:
        wrapped.do_handshake()
    except ssl.SSLWantReadError:
        pass
    hello = theirs.recv(65536)
    wrapped.close()
    theirs.close()
    return hello


def legitimate(port, use_tls, stop):
    context = None
    if use_tls:
        context = ssl.create_default_context()
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
    latencies, failed = [], 0
    while time.monotonic() < stop:
        began = time.monotonic()
        ok = False
        try:
            sock = connect(port, 60)
            # As browsers and curl do: otherwise a TLS 1.3 request waits on the server's
            # delayed acknowledgement of the client's Finished (40 ms on Linux).
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            if context:
                sock = context.wrap_socket(sock)
            ok = check_wr_answered(sock)
        except (OSError, ssl.SSLError):
            pass
        if ok:
            latencies.append((time.monotonic() - began) * 1000.0)
        else:
            failed += 1
        time.sleep(0.02)
    return sorted(latencies), failed


def idle(args):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    payload = client_hello() if args.hello else b""
    stop = time.monotonic() + args.seconds
    held = set()
    opened = [0]

    def keep():
        poller = select.epoll()
        while time.monotonic() < stop:
            while len(held) < args.slow:
                try:
                    sock = socket.socket()
                    sock.setblocking(False)
                    sock.connect_ex(("127.0.0.1", args.port))
                    # Only the server's close counts: its answer to a ClientHello is left
                    # unread, so the handshake stalls instead of being redone at once.
                    poller.register(sock.fileno(), select.EPOLLRDHUP)
                    held.add(sock)
                    opened[0] += 1
                    if payload:
                        time.sleep(0)
                        try:
                            sock.send(payload)
                        except OSError:
                            pass
                except OSError:
                    break
            by_fd = {sock.fileno(): sock for sock in held}
            for fd, _ in poller.poll(0.2):
                sock = by_fd.get(fd)
                if sock is not None:  # cut by the server: open another
                    poller.unregister(fd)
                    held.discard(sock)
                    sock.close()
        for sock in held:
            sock.close()

    holder = threading.Thread(target=keep)
    holder.start()
    time.sleep(min(3.0, args.seconds / 3))
    latencies, failed = legitimate(args.port, args.tls, stop)
    holder.join()

    def pct(p):
        return latencies[min(len(latencies) - 1, int(p * len(latencies)))] if latencies else 0.0

    what = "stalled TLS handshakes" if args.hello else "idle connections"
    print(f"{args.slow} {what} ({opened[0]} opened in {args.seconds}s): {len(latencies)} "
          f"answered{' over TLS' if args.tls else ''}, {failed} unanswered, p50 {pct(0.5):.1f} ms, "
          f"p99 {pct(0.99):.1f} ms, max {latencies[-1] if latencies else 0:.1f} ms")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["flood", "slow", "idle"])
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--pid", type=int, default=0)
    parser.add_argument("--clients", type=int, default=8)
    parser.add_argument("--slow", type=int, default=256)
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--hello", action="store_true")
    args = parser.parse_args()
    {"flood": flood, "slow": slow, "idle": idle}[args.mode](args)


if __name__ == "__main__":
    main()
