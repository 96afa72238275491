#!/usr/bin/python3
"""Attacks on the program's server from this machine: each is bounded in connections, bytes
and time, goes to 127.0.0.1 only (several hosts are played by binding source addresses
127.0.0.2 to 127.0.0.9), and ends by checking that the count still turns and that the
program stayed under MEMORY_BOUND_MIB of resident memory throughout.

    attack_test.py PROGRAM {memory|pongs|fragments|heads|hosts|names|handshakes} [tls]

With tls the program serves over TLS (--serve-tls) with a certificate made here, which the
attacker's screens trust; handshakes is always over TLS.
"""
import shutil
import socket
import ssl
import sys
import tempfile
import threading
import time

from orvane_remote import (Program, MemoryWatch, Screens, connect, frame, handshake,
                           open_screen, read_head, test_certificate, trusting,
                           wait_count_turns, wait_for)

# The program idles at about 32 MiB offscreen; no attack may take it past twice that.
MEMORY_BOUND_MIB = 64

TEXT, CONTINUATION, CLOSE, PING, PONG = 0x1, 0x0, 0x8, 0x9, 0xA


def status_line(s, timeout=8.0):
    """The first line the program answers on the connection, b"closed" or b"reset"; the
    program answers every request within 5 s, so the bound here is that and some."""
    s.settimeout(timeout)
    received = b""
    try:
        while b"\r\n" not in received:
            chunk = s.recv(4096)
            if not chunk:
                break
            received += chunk
    except ConnectionResetError:
        return received.split(b"\r\n")[0] if received else b"reset"
    except socket.timeout:
        return b"no answer within %gs" % timeout
    return received.split(b"\r\n")[0] if received else b"closed"


def ask(port, data, source="127.0.0.1", half_close=True):
    with connect(port, source) as s:
        s.sendall(data)
        if half_close:
            s.shutdown(socket.SHUT_WR)
        return status_line(s)


# The SSL context of a program served over TLS, else None.
TLS = None


def screen_socket(port, source="127.0.0.1", receive_buffer=None):
    if TLS:
        s = TLS.wrap_socket(connect(port, source, receive_buffer=receive_buffer),
                            server_hostname="127.0.0.1")
        s.sendall(handshake())
    else:
        s = open_screen(port, source, receive_buffer=receive_buffer)
    head = read_head(s)
    assert head.startswith(b"HTTP/1.1 101"), head[:80]
    return s


def dropped(s, timeout):
    """Whether the program ends the connection within the time: what it still sends (its
    state, a close frame) is read and thrown away."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        s.settimeout(max(0.05, end - time.monotonic()))
        try:
            if not s.recv(65536):
                return True
        except socket.timeout:
            return False
        except OSError:
            return True
    return False


def keeps_sending(s, frames, limit_frames, timeout):
    """Sends the frames again and again until the program drops the connection; how many
    frames went, or None if it never did within the bounds."""
    sent = 0
    end = time.monotonic() + timeout
    s.settimeout(timeout)
    try:
        while sent < limit_frames and time.monotonic() < end:
            s.sendall(frames[1])
            sent += frames[0]
    except socket.timeout:
        return None  # the program stopped reading, but kept the connection
    except OSError:
        return sent
    return None


def memory(program):
    """A screen that never reads but sends pings: every pong the program owes it counts
    among the bytes queued to it, and it is dropped once they pass 64 KiB, while a screen
    that reads stays."""
    good = Screens(program.port, 1, context=TLS)
    # A small receive buffer: what the program sends waits in the program, not in the kernel.
    s = screen_socket(program.port, receive_buffer=4096)
    pings = 125 * b"p"
    batch = 50
    sent = keeps_sending(s, (batch, frame(PING, pings) * batch), 200_000, 30)
    gone = sent is not None and dropped(s, 8)
    s.close()
    assert gone, "a screen that never reads was never dropped"
    # Past the 64 KiB a screen may owe, with what the kernels hold: far below the frames a
    # screen may send between two pings, so the bytes it was owed are what dropped it.
    assert sent < 4096, "dropped only after %d pings" % sent
    assert good.closed == 0, "the screen that reads was dropped too"
    good.close()
    return "dropped after %d unread pongs" % sent


def pongs(program):
    """Only a pong that answers the program's ping keeps a screen: one that reads but sends
    pongs of its own is dropped, and one that answers stays (pinged every 500 ms here)."""
    good = Screens(program.port, 1)
    s = screen_socket(program.port)
    end = time.monotonic() + 20
    gone = False
    while not gone and time.monotonic() < end:
        try:
            s.sendall(frame(PONG, b"alive"))
        except OSError:
            break
        gone = dropped(s, 0.1)
    s.close()
    assert gone, "a screen that never answered a ping was kept"
    wait_for("the good screen to answer more pings", lambda: good.pings >= 10, timeout=10)
    assert good.closed == 0, "the screen that answers was dropped"
    good.close()
    return "dropped; the answering screen kept after %d pings" % good.pings


def fragments(program):
    """A message's frames are bounded in number and time, and a screen's frames between two
    pings: each way of saying without end is dropped."""
    # Endless empty continuation frames.
    s = screen_socket(program.port)
    s.sendall(frame(TEXT, b"", fin=False))
    sent = keeps_sending(s, (100, frame(CONTINUATION, b"", fin=False) * 100), 1_000_000, 20)
    s.close()
    assert sent is not None, "endless continuation frames were taken"

    # A message that never ends: one frame, then one more each time a second passes with
    # the connection still open; dropped at the message's 5 s, before its 16 frames.
    s = screen_socket(program.port)
    s.sendall(frame(TEXT, b"x", fin=False))
    for _ in range(15):
        if dropped(s, 1.0):
            break
        s.sendall(frame(CONTINUATION, b"x", fin=False))
    else:
        raise AssertionError("a message that never ends was waited for")
    s.close()

    # Whole messages without end, each within its bounds.
    s = screen_socket(program.port)
    sent = keeps_sending(s, (100, frame(TEXT, b"hello") * 100), 1_000_000, 20)
    s.close()
    assert sent is not None, "endless messages were taken"

    # A frame that claims more than a message may hold is refused on its head.
    s = screen_socket(program.port)
    s.sendall(frame(TEXT, b"", length=1 << 40)[:14])
    assert dropped(s, 8), "a frame of a terabyte was waited for"
    s.close()
    return "all four dropped"


def heads(program):
    """Every request gets its status line within the 5 s: heads with bare line ends, bad
    handshakes, a head that never ends, and a head of 10 MB."""
    port = program.port
    cases = [
        (handshake().replace(b"\r\n", b"\n"), b"HTTP/1.1 400 Bad Request"),
        (b"GET / HTTP/1.1\nHost: 127.0.0.1\n\n", b"HTTP/1.1 400 Bad Request"),
        (b"GET / HTTP/1.1\rHost: 127.0.0.1\r\r", b"HTTP/1.1 400 Bad Request"),
        (b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\n", b"HTTP/1.1 400 Bad Request"),
        (handshake().replace(b"Sec-WebSocket-Key", b"X-Key"), b"HTTP/1.1 400 Bad Request"),
        (handshake(key=b"nonsense"), b"HTTP/1.1 400 Bad Request"),
        (handshake(version=b"abc"), b"HTTP/1.1 426 Upgrade Required"),
        (handshake(version=b"8"), b"HTTP/1.1 426 Upgrade Required"),
        (handshake().replace(b"HTTP/1.1", b"HTTP/1.0"), b"HTTP/1.1 400 Bad Request"),
        (handshake().replace(b"Connection: Upgrade", b"Connection: keep-alive"),
         b"HTTP/1.1 400 Bad Request"),
        (handshake().replace(b"Upgrade:", b"Host: attacker.example\r\nUpgrade:"),
         b"HTTP/1.1 400 Bad Request"),
        (handshake(), b"HTTP/1.1 101 Switching Protocols"),
    ]
    failures = []
    for data, wanted in cases:
        # Kept open, as a client that waits for its answer keeps it.
        got = ask(port, data, half_close=False)
        if got != wanted:
            failures.append((data[:50], got))
    # Lines that stop at a bare LF are refused at once, however the head goes on.
    with connect(port) as s:
        s.sendall(b"GET / HTTP/1.1\n")
        got = status_line(s)
        if got != b"HTTP/1.1 400 Bad Request":
            failures.append(("a first line ending in LF", got))
    # A head that never ends is answered at the 5 s.
    with connect(port) as s:
        s.sendall(b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n")
        got = status_line(s)
        if got != b"HTTP/1.1 408 Request Timeout":
            failures.append(("a head that never ends", got))
    # 10 MB of head: refused, and read to its end so that the client reads why.
    with connect(port, timeout=20) as s:
        try:
            s.sendall(b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Big: " + b"a" * 10_000_000)
        except OSError as e:
            failures.append(("10 MB of head", "sending failed: %s" % e))
        got = status_line(s)
        if got != b"HTTP/1.1 431 Request Header Fields Too Large":
            failures.append(("10 MB of head", got))
    assert not failures, failures
    return "%d requests answered" % (len(cases) + 3)


def hosts(program):
    """One host holds as many connections as it can without finishing a request, opening
    a new one for each the program ends; screens of seven other hosts still get in, twelve
    of them from one host, which may still have 8 requests under way besides."""
    port = program.port
    stop = threading.Event()
    answers = {}
    held = []

    def still_open(s):
        """Reads what the program told the connection; False once it has ended it."""
        try:
            data = s.recv(4096)
        except BlockingIOError:
            return True
        except OSError:
            data = b""
        if data.startswith(b"HTTP/"):
            line = data.split(b"\r\n")[0]
            answers[line] = answers.get(line, 0) + 1
        if data:
            return still_open(s)
        s.close()
        return False

    def attacker():
        opened = 0
        while not stop.is_set() and opened < 3000:
            held[:] = [s for s in held if still_open(s)]
            while len(held) < 64 and opened < 3000 and not stop.is_set():
                try:
                    s = connect(port, "127.0.0.2", timeout=2)
                except OSError:
                    break
                s.setblocking(False)
                opened += 1
                held.append(s)
            stop.wait(0.05)

    thread = threading.Thread(target=attacker, daemon=True)
    thread.start()
    wait_for("the attacker to hold its connections", lambda: len(held) >= 64, timeout=10)
    try:
        screens = [Screens(port, 12, "127.0.0.3")]
        screens += [Screens(port, 2, "127.0.0.%d" % n) for n in range(4, 10)]
        assert ask(port, b"GET /state.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                   "127.0.0.9") == b"HTTP/1.1 200 OK"
        for group in screens:
            wait_for("each screen's state", lambda: len(group.messages) >= len(group.sockets))
        wait_for("the attacker to be refused", lambda: answers, timeout=10)
        # The twelve screens of 127.0.0.3 leave it its 8 unfinished requests, and no more.
        idle = [connect(port, "127.0.0.3") for _ in range(8)]
        with connect(port, "127.0.0.3") as ninth:
            assert status_line(ninth) == b"HTTP/1.1 429 Too Many Requests"
        told = [status_line(s) for s in idle]
        assert told == [b"HTTP/1.1 408 Request Timeout"] * 8, told
        for s in idle:
            s.close()
    finally:
        stop.set()
        thread.join(timeout=10)
        for s in held:
            s.close()
    assert answers.get(b"HTTP/1.1 429 Too Many Requests"), answers
    for group in screens:
        assert group.closed == 0
        group.close()
    return "24 screens of 7 hosts in; the attacker told %r" % answers


def names(program, exe):
    """Only requests for this computer are answered, and only its own page opens a
    WebSocket: a page on another site whose name points here (DNS rebinding) reads
    nothing, and neither does one that opens the WebSocket from its own site."""
    port = program.port
    here = b"127.0.0.1:%d" % port

    def get(path, host):
        return ask(port, b"GET " + path + b" HTTP/1.1\r\nHost: " + host + b"\r\n\r\n")

    def ws(host, origin=None):
        with connect(port) as s:
            s.sendall(handshake(host, origin))
            return status_line(s)

    ok, switching = b"HTTP/1.1 200 OK", b"HTTP/1.1 101 Switching Protocols"
    misdirected = b"HTTP/1.1 421 Misdirected Request"
    cases = [
        (get(b"/state.json", b"attacker.example:%d" % port), misdirected),
        (get(b"/", b"attacker.example"), misdirected),
        (ws(b"attacker.example:%d" % port, b"http://attacker.example:%d" % port), misdirected),
        (ws(here, b"http://attacker.example"), b"HTTP/1.1 403 Forbidden"),
        (ws(here, b"http://127.0.0.1:1"), b"HTTP/1.1 403 Forbidden"),
        (ws(here, b"null"), b"HTTP/1.1 403 Forbidden"),
        (get(b"/state.json", here), ok),
        (get(b"/state.json", b"[::1]:%d" % port), ok),
        (get(b"/state.json", b"localhost:%d" % port), ok),
        (get(b"/state.json", socket.gethostname().encode()), ok),
        (get(b"/state.json", b"count.example.org"), ok),
        (ws(here, b"http://" + here), switching),
        (ws(here), switching),
        # Behind the README's proxy, which takes the TLS and passes the Host on.
        (ws(b"count.example.org", b"https://count.example.org"), switching),
    ]
    failures = [(i, got, wanted) for i, (got, wanted) in enumerate(cases) if got != wanted]
    assert not failures, failures

    # A --serve-name that is no name is refused before anything starts.
    import subprocess
    refused = subprocess.run([exe, "--serve-name", "count.example.org:443"],
                             capture_output=True, text=True, timeout=20)
    assert refused.returncode == 2 and "--serve-name count.example.org:443" in refused.stderr \
        and "--help" in refused.stderr, (refused.returncode, refused.stderr)
    return "%d requests answered as they should be" % len(cases)


def handshakes(program):
    """Over TLS a connection is counted and timed from its accept, before its handshake ends:
    connections that say nothing, half a ClientHello, or a whole one and then nothing more,
    are held at most 8 a host and 64 in all, the next ones closed before any handshake, and
    each is closed within the program's 5 s for a request; then the server serves again."""
    port = program.port
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    client = TLS.wrap_bio(incoming, outgoing, server_hostname="127.0.0.1")
    try:
        client.do_handshake()
    except ssl.SSLWantReadError:
        pass
    hello = outgoing.read()
    assert hello[:1] == b"\x16", "no ClientHello made"

    def stall(source, kind):
        """A connection that stops in its handshake; a whole ClientHello is answered. The
        program ends it within its 5 s for a request: 8 s is that and some."""
        s = connect(port, source, timeout=8)
        if kind == "half":
            s.sendall(hello[:len(hello) // 2])
        elif kind == "whole":
            s.sendall(hello)
            assert s.recv(1) == b"\x16", "a ClientHello was not answered"
        return s

    def refused(source):
        """A connection past the bounds: closed without a ServerHello."""
        with connect(port, source, timeout=10) as s:
            s.sendall(hello)
            try:
                return s.recv(1) == b""
            except ConnectionResetError:
                return True

    kinds = ["silent", "half", "whole"]
    # The last of each host's is answered, so the program has taken all before it.
    held = [stall("127.0.0.2", kinds[(i + 1) % 3]) for i in range(8)]
    assert refused("127.0.0.2"), "a ninth connection of one host began its handshake"
    held += [stall("127.0.0.%d" % n, kinds[(i + 1) % 3]) for n in range(3, 10) for i in range(8)]
    assert refused("127.0.0.10"), "a 65th connection began its handshake"
    for s in held:
        try:
            while s.recv(4096):
                pass
        except ConnectionResetError:
            pass
        except socket.timeout:
            raise AssertionError("a stalled handshake was held past 8 s")
        s.close()
    first = program.state()["server_time_ms"]
    return "64 stalled handshakes held and closed, two more refused (state at %d)" % first


def main():
    global TLS
    exe, attack = sys.argv[1], sys.argv[2]
    args, env = (), {}
    folder = cert = None
    if attack == "handshakes" or sys.argv[3:] == ["tls"]:
        folder = tempfile.mkdtemp(prefix="orvane-attack-")
        cert, key, _ = test_certificate(folder)
        args, TLS = ("--serve-tls", cert, key), trusting(cert)
    if attack == "names":
        args += ("--serve-name", "count.example.org")
    if attack == "pongs":
        env = {"ORVANE_REMOTE_PING_MS": "500"}
    program = Program(exe, args, env, cafile=cert)
    if folder:
        shutil.rmtree(folder, ignore_errors=True)
    try:
        watch = MemoryWatch(program.proc.pid)
        if attack == "names":
            said = names(program, exe)
        else:
            said = globals()[attack](program)
        wait_count_turns(program)
        peak = watch.check(MEMORY_BOUND_MIB)
    except BaseException:
        program.kill()
        raise
    program.stop()
    print("attack %s%s: %s; memory peaked at %d MiB (bound %d MiB)" %
          (attack, " over TLS" if TLS else "", said, peak // 1024, MEMORY_BOUND_MIB))


if __name__ == "__main__":
    main()
