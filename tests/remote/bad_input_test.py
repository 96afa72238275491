#!/usr/bin/python3
"""Bad input: a thousand random and malformed requests to the program's server (truncated,
oversized heads, bad methods, slow senders, screens past the connection limit) get a clear
answer or a closed connection, and leave the program counting and its page working.
Everything goes to 127.0.0.1, from eight source addresses that play eight hosts, at most four
requests of each at once; every connection has a deadline.

    bad_input_test.py PROGRAM
"""
import concurrent.futures
import random
import socket
import sys
import tempfile
import time

from orvane_remote import (Program, browser, connect, count_text, launch_caption, open_screen,
                           shut_down, wait_for)

GOOD = b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
HOSTS = ["127.0.0.%d" % n for n in range(2, 10)]


def exchange(port, data, slow=False, timeout=8.0, source="127.0.0.1"):
    """Sends the bytes (a few at a time when slow) and gives the status line, or b"closed"."""
    with connect(port, source, timeout=timeout) as s:
        try:
            if slow:
                for i in range(0, len(data), 3):
                    s.sendall(data[i:i + 3])
                    time.sleep(0.4)
            else:
                s.sendall(data)
                # The client has said all it will: a truncated request ends here.
                s.shutdown(socket.SHUT_WR)
        except OSError:
            pass  # the server may answer and close before a long request is through
        received = b""
        try:
            while b"\r\n" not in received:
                chunk = s.recv(4096)
                if not chunk:
                    break
                received += chunk
        except (ConnectionResetError, socket.timeout):
            if not received:
                return b"closed" if not isinstance(sys.exc_info()[1], socket.timeout) else b"hung"
        return received.split(b"\r\n")[0] if received else b"closed"


def requests(rng):
    """(bytes, slow, the status lines allowed)"""
    kinds = []
    for _ in range(1000):
        k = rng.randrange(10)
        if k == 0:
            data = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 400))) + b"\r\n\r\n"
            kinds.append((data, False, {b"HTTP/1.1 400 Bad Request", b"closed"}))
        elif k == 1:
            data = GOOD[:rng.randrange(1, len(GOOD) - 1)]
            kinds.append((data, False, {b"HTTP/1.1 408 Request Timeout", b"closed"}))
        elif k == 2:
            data = b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Big: " + b"a" * rng.randrange(8200, 40000) \
                + b"\r\n\r\n"
            kinds.append((data, False, {b"HTTP/1.1 431 Request Header Fields Too Large",
                                        b"closed"}))
        elif k == 3:
            method = rng.choice([b"POST", b"PUT", b"DELETE", b"HEAD", b"OPTIONS", b"PATCH",
                                 b"BREW", b"get"])
            data = method + b" / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 5\r\n\r\nhello"
            kinds.append((data, False, {b"HTTP/1.1 405 Method Not Allowed"}))
        elif k == 4:
            data = rng.choice([b"GET /\r\n\r\n", b"GET / HTTP/2.0\r\nHost: x\r\n\r\n",
                               b"GET  / HTTP/1.1\r\nHost: x\r\n\r\n",
                               b"GET / HTTP/1.1\r\n\r\n",
                               b"GET / HTTP/1.1\r\nHost x\r\n\r\n",
                               b"GET / HTTP/1.1\r\nHo st: x\r\n\r\n",
                               b"GET / HTTP/1.1\r\nHost: \x00\x01\r\n\r\n",
                               b"GET http://x/ HTTP/1.1\r\nHost: x\r\n\r\n"])
            kinds.append((data, False, {b"HTTP/1.1 400 Bad Request"}))
        elif k == 5:
            path = rng.choice([b"/nothing", b"/state.json/..", b"/" + b"x" * 7000, b"/%00",
                               b"/../etc/passwd", b"/index.html"])
            kinds.append((b"GET " + path + b" HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", False,
                          {b"HTTP/1.1 404 Not Found"}))
        elif k == 6:
            data = b"GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n" \
                b"Connection: Upgrade\r\nSec-WebSocket-Key: nonsense\r\n\r\n"
            kinds.append((data, False, {b"HTTP/1.1 400 Bad Request", b"closed"}))
        elif k == 7:
            kinds.append((b"GET /state.json HTTP/1.0\r\n\r\n", False, {b"HTTP/1.1 200 OK"}))
        elif k == 8:
            kinds.append((GOOD, False, {b"HTTP/1.1 200 OK"}))
        else:
            kinds.append((b"\r\n" * rng.randrange(1, 10), False,
                          {b"HTTP/1.1 400 Bad Request", b"HTTP/1.1 408 Request Timeout", b"closed"}))
    # Slow senders: a whole request that dribbles in past the deadline, among the others.
    for i in range(0, 1000, 100):
        kinds[i] = (GOOD.replace(b"\r\n\r\n", b"\r\nX-Slow: " + b"z" * 40 + b"\r\n\r\n"), True,
                    {b"HTTP/1.1 408 Request Timeout", b"closed"})
    return kinds


def screen(port):
    """A WebSocket screen: the handshake, then the state it is sent at once."""
    s = open_screen(port)
    received = b""
    while b"server_time_ms" not in received:
        chunk = s.recv(4096)
        assert chunk, "the screen was closed before its state came: %r" % received[:80]
        received += chunk
    assert received.startswith(b"HTTP/1.1 101"), received[:80]
    return s


def flood_past_the_limit(port):
    """64 screens watching, then a 65th: it is told the server is full. Twice, so the
    screens that left must have given their places back."""
    for _ in range(2):
        screens = [screen(port) for _ in range(64)]
        try:
            assert exchange(port, GOOD, timeout=5) == b"HTTP/1.1 503 Service Unavailable"
        finally:
            for s in screens:
                s.close()
        wait_for("the screens to leave",
                 lambda: exchange(port, GOOD) == b"HTTP/1.1 200 OK", timeout=10)


def main():
    program = Program(sys.argv[1])
    profile = tempfile.mkdtemp(prefix="orvane-chromium-")
    driver = None
    try:
        program.drive("set frmOrvane.lblTarget.Caption " + launch_caption(3600))
        first = program.state()
        flood_past_the_limit(program.port)

        rng = random.Random(15)
        failures = []
        pools = [concurrent.futures.ThreadPoolExecutor(max_workers=4) for _ in HOSTS]
        try:
            jobs = [(pools[i % len(HOSTS)].submit(exchange, program.port, data, slow,
                                                  source=HOSTS[i % len(HOSTS)]), allowed, data)
                    for i, (data, slow, allowed) in enumerate(requests(rng))]
            for job, allowed, data in jobs:
                got = job.result(timeout=60)
                if got not in allowed:
                    failures.append((data[:60], got))
        finally:
            for pool in pools:
                pool.shutdown()
        assert not failures, "%d unexpected answers, for example %r" % (len(failures),
                                                                         failures[:3])

        # Still counting, and the page still works.
        last = program.state()
        assert last["server_time_ms"] > first["server_time_ms"]
        assert last["launch_time_ms"] == first["launch_time_ms"]
        driver = browser(profile)
        driver.get(program.url)

        def page_equals_program():
            before = count_text(program.state())
            shown = driver.find_element("id", "count").text
            return shown == before == count_text(program.state())
        wait_for("the page to equal the program", page_equals_program)
        shown = driver.find_element("id", "count").text
        wait_for("the page to count", lambda: driver.find_element("id", "count").text != shown,
                 timeout=10)
    finally:
        shut_down(driver, profile, program)
    print("bad input test: passed")


if __name__ == "__main__":
    main()
