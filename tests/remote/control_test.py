#!/usr/bin/python3
"""Paired devices and their commands against the real program, from this machine alone
(127.0.0.1): pairing and its limits, the control socket's checks, the commands and their
records, forgetting, a follower, and a flood of bad tokens under which the count still turns.

    control_test.py PROGRAM

The program serves on 127.0.0.1 with --serve-name, as behind a reverse proxy, so that its
dialog offers pairing. Every wait is bounded; every loop of requests has its count.
"""
import http.client
import os
import re
import socket
import sys
import threading
import time
import urllib.parse

from orvane_remote import (Program, MemoryWatch, connect, frame, get, launch_caption,
                           read_head, wait_for)

TEXT, CLOSE = 0x1, 0x8
NAME = "Flight director's tablet"


def offer_code(program):
    program.drive("click frmRemoteDisplays.cmdPair")
    return get(program, "frmRemoteDisplays.lblPairCode.Caption").replace(" ", "")


def request(program, method, path, body=None, headers=None):
    """One request; its status, its Set-Cookie and its body."""
    c = http.client.HTTPConnection("127.0.0.1", program.port, timeout=8)
    try:
        c.request(method, path, body=body, headers=headers or {})
        r = c.getresponse()
        return r.status, r.getheader("Set-Cookie") or "", r.read().decode()
    finally:
        c.close()


def pair(program, code, name=NAME, origin=None):
    origin = origin or "http://127.0.0.1:%d" % program.port
    body = urllib.parse.urlencode({"code": code, "name": name})
    return request(program, "POST", "/control/pair", body,
                   {"Origin": origin, "Content-Type": "application/x-www-form-urlencoded"})


class Device:
    """A control socket, opened with a cookie and an Origin as a browser would."""

    def __init__(self, program, cookie=None, origin=True):
        self.s = connect(program.port)
        key = b"dGhlIHNhbXBsZSBub25jZQ=="
        head = (b"GET /control/socket HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
                % program.port +
                b"Connection: Upgrade\r\nSec-WebSocket-Key: " + key +
                b"\r\nSec-WebSocket-Version: 13\r\n")
        if origin:
            head += b"Origin: " + (origin if isinstance(origin, bytes) else
                                    b"http://127.0.0.1:%d" % program.port) + b"\r\n"
        if cookie:
            head += b"Cookie: theme=dark; " + cookie.encode() + b"\r\n"
        self.s.sendall(head + b"\r\n")
        self.status = read_head(self.s).split(b"\r\n")[0]
        self.buf = bytearray()
        self.messages = []

    def send(self, word):
        self.s.sendall(frame(TEXT, word.encode()))

    def read(self, timeout=5):
        """The next text message, or None once the program ended the connection."""
        end = time.monotonic() + timeout
        while True:
            if len(self.buf) >= 2:
                opcode, size, at = self.buf[0] & 0x0F, self.buf[1] & 0x7F, 2
                if size == 126:
                    size, at = int.from_bytes(self.buf[2:4], "big"), 4
                if len(self.buf) >= at + size:
                    payload = bytes(self.buf[at:at + size])
                    del self.buf[:at + size]
                    if opcode == CLOSE:
                        return None
                    if opcode == TEXT:
                        return payload.decode()
                    continue
            left = end - time.monotonic()
            assert left > 0, "no message in time"
            self.s.settimeout(left)
            try:
                chunk = self.s.recv(65536)
            except (ConnectionResetError, BrokenPipeError):
                return None
            if not chunk:
                return None
            self.buf += chunk

    def reply(self, word):
        """Sends a command; the program's reply to it."""
        self.send(word)
        while True:
            m = self.read()
            assert m is not None, "the connection ended after " + word
            if m.startswith('{"reply"'):
                return m

    def close(self):
        self.s.close()


def seconds(state):
    c = state["count"]
    return ((c["days"] * 24 + c["hours"]) * 60 + c["minutes"]) * 60 + c["seconds"]


def cookie_of(set_cookie):
    assert "HttpOnly" in set_cookie and "SameSite=Strict" in set_cookie, set_cookie
    assert "Path=/control" in set_cookie and "Secure" not in set_cookie, set_cookie
    name_value = set_cookie.split(";")[0]
    token = name_value.split("=", 1)[1]
    assert re.fullmatch(r"[A-Za-z0-9_-]{43}", token), token  # 256 bits
    return name_value


class Recorded(Program):
    """The program, every line it printed kept: its journal's records among them."""

    def wait_line(self, wanted, timeout):
        def keep(line):
            self.__dict__.setdefault("history", []).append(line)
            return wanted(line)
        return super().wait_line(keep, timeout)


def journal_line(program, kind, detail):
    """The program's record of KIND holding DETAIL, printed already or waited for."""
    def wanted(line):
        return line.startswith("journal " + kind + " ") and detail in line
    for line in getattr(program, "history", []):
        if wanted(line):
            return line
    return program.wait_line(wanted, 10)


def main():
    exe = sys.argv[1]
    program = Recorded(exe, args=["--serve-name", "orvane-control.test"])
    other = follower = None
    try:
        program.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60))
        program.drive("click frmOrvane.mnuRemoteDisplays", timeout=15)

        # No code on offer, then a code: a page of another site cannot use it, a wrong one
        # is refused, the right one pairs once and never again.
        status, _, body = pair(program, "000000")
        assert status == 403 and "No code is on offer" in body, (status, body)
        code = offer_code(program)
        assert re.fullmatch(r"\d{6}", code), code
        status, _, body = pair(program, code, origin="http://evil.example")
        assert status == 403 and "own control page" in body, (status, body)
        status, _, body = pair(program, code, name="\x01")
        assert status == 403 and "control character" in body, body
        journal_line(program, "pairing-refused", "control character")
        status, set_cookie, body = pair(program, code)
        assert status == 200, (status, body)
        cookie = cookie_of(set_cookie)
        journal_line(program, "device-paired", 'device="%s"' % NAME)
        status, _, body = pair(program, code, name="Second")
        assert status == 403 and "No code is on offer" in body, body
        _, _, body = request(program, "GET", "/control/status", headers={"Cookie": cookie})
        assert '"paired":true' in body and NAME in body, body

        # Control is off until the user lets it: the device connects, and is told.
        device = Device(program, cookie)
        assert device.status.startswith(b"HTTP/1.1 101"), device.status
        first = [device.read(), device.read()]
        assert '"server_time_ms"' in first[0] and '"control"' in first[1], first
        assert "Control by paired devices is off" in first[1], first[1]
        assert '"refused":"Control by paired devices is off' in device.reply("hold-enable")
        program.drive("click frmRemoteDisplays.chkControl")

        # Hold, as the button does: the program holds, shows and records it with the name.
        assert '"refused":"Holds are not enabled' in device.reply("hold")
        assert '"done":true' in device.reply("hold-enable")
        assert '"done":true' in device.reply("hold")
        journal_line(program, "hold", 'by="%s"' % NAME)
        state = program.state()
        assert state["holding"] is True, state
        wait_for("the main screen to show who held", lambda: get(
            program, "frmOrvane.sbrStatusBar(pnlCommand).Text") == "Hold from " + NAME, 5)
        assert '"refused":"The program does not know that command."' in \
            device.reply("set-launch-time")
        held = seconds(state)
        assert '"done":true' in device.reply("resume")
        journal_line(program, "resume", 'by="%s"' % NAME)
        assert program.state()["holding"] is False
        assert held - seconds(program.state()) in (0, 1), "the count goes on from the hold"
        # What its commands depend on, changed at the program itself, is told to the device.
        program.drive("click frmOrvane.mnuHoldEnable")
        wait_for("the device to hear that holds are disabled",
                 lambda: '"armed":false' in (device.read() or ""), 10)

        # Refused at the handshake: no cookie, no Origin, another site's Origin, a token
        # this program never gave, and a token from another program's run.
        refusals = [Device(program, None), Device(program, cookie, origin=False),
                    Device(program, cookie, origin=b"http://evil.example"),
                    Device(program, cookie.split("=")[0] + "=" + "A" * 43)]
        other = Program(exe, args=["--serve-name", "orvane-control.test"],
                        env_extra={"ORVANE_INSTANCE_NAME": "orvane-control-other-%d" %
                                   os.getpid()})
        other.drive("click frmOrvane.mnuRemoteDisplays", timeout=15)
        _, other_cookie, _ = pair(other, offer_code(other))
        token = cookie_of(other_cookie).split("=", 1)[1]
        refusals.append(Device(program, cookie.split("=")[0] + "=" + token))
        for d in refusals:
            assert d.status.startswith(b"HTTP/1.1 403"), d.status
            d.close()

        # More than ten commands in a second: cut off.
        fast = Device(program, cookie)
        for _ in range(12):
            try:
                fast.send("mute")
            except OSError:
                break
        messages = []
        while True:
            m = fast.read()
            if m is None:
                break
            messages.append(m)
            assert len(messages) < 40, "a device sending too fast was not cut off"
        fast.close()

        # Wrong codes: five, and pairing is locked for everyone, the right code too.
        code = offer_code(program)
        wrong = "%06d" % ((int(code) + 1) % 1000000)
        for _ in range(5):
            assert "That is not the code" in pair(program, wrong)[2]
        status, _, body = pair(program, code)
        assert status == 403 and "locked" in body, body
        assert get(program, "frmRemoteDisplays.lblPairCode.Caption") != ""

        # 10,000 bad tokens from eight hosts, bounded: each refused, the memory bounded and
        # the count shown every second throughout, as the program's own state says.
        watch = MemoryWatch(program.proc.pid)
        seen = []
        flooded = threading.Event()

        def sample():
            # A reading every tenth of a second until the flood is over.
            while not flooded.wait(0.1):
                seen.append(program.state()["count"]["seconds"])
        sampler = threading.Thread(target=sample, daemon=True)
        sampler.start()
        refused = [0] * 8

        def flood(n):
            source = "127.0.0.%d" % (n + 2)
            for i in range(1250):
                s = connect(program.port, source)
                try:
                    s.sendall(b"GET /control/socket HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n"
                              % program.port +
                              b"Upgrade: websocket\r\nConnection: Upgrade\r\n"
                              b"Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                              b"Sec-WebSocket-Version: 13\r\nOrigin: http://127.0.0.1:%d\r\n"
                              b"Cookie: %s=%s\r\n\r\n" % (program.port,
                                                          cookie.split("=")[0].encode(),
                                                          b"%043d" % (n * 100000 + i)))
                    if read_head(s).startswith(b"HTTP/1.1 403"):
                        refused[n] += 1
                finally:
                    s.close()
        threads = [threading.Thread(target=flood, args=(n,)) for n in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(timeout=60)
        flooded.set()
        sampler.join(timeout=5)
        assert sum(refused) == 10000, refused
        watch.check(64)
        # The seconds the program showed, in order: none skipped.
        turns = [b for a, b in zip(seen, seen[1:]) if a != b]
        assert turns, "the count did not turn during the flood"
        for a, b in zip(seen, seen[1:]):
            assert (a - b) % 60 in (0, 1), "the count skipped from %d to %d" % (a, b)

        # Forgotten: its connection ends at once, and its token never works again.
        device2 = Device(program, cookie)
        assert device2.status.startswith(b"HTTP/1.1 101")
        program.drive("click frmRemoteDisplays.cmdForget(0)")
        journal_line(program, "device-forgotten", 'device="%s"' % NAME)
        while device2.read() is not None:
            pass
        device.close()
        device2.close()
        d = Device(program, cookie)
        assert d.status.startswith(b"HTTP/1.1 403"), d.status
        d.close()
        _, _, body = request(program, "GET", "/control/status", headers={"Cookie": cookie})
        assert '"paired":false' in body, body

        # A follower takes no commands, even from a device its settings know.
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        closed = listener.getsockname()[1]
        listener.close()
        follower = Program(exe, args=["--follow", "mqtt://127.0.0.1:%d/t" % closed],
                           env_extra={"HOME": other.home, "XDG_CONFIG_HOME":
                                      os.path.join(other.home, "config"),
                                      "ORVANE_INSTANCE_NAME": "orvane-control-follower-%d" %
                                      os.getpid()})
        status, _, body = pair(follower, "123456")
        assert status == 403 and "takes no commands" in body, body
        follows = Device(follower, "orvane_control_%d=%s" % (follower.port, token))
        assert follows.status.startswith(b"HTTP/1.1 101"), follows.status
        assert "follows a leader" in follows.reply("hold")
        follows.close()
    finally:
        for p in (follower, other):
            if p:
                p.kill()
        program.stop()
    print("control test: passed")


if __name__ == "__main__":
    main()
