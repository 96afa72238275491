#!/usr/bin/python3
"""A screen in the room asks the real program for its page, its state and its change
messages, over plain HTTP and a WebSocket on 127.0.0.1, without a browser.

    server_test.py PROGRAM
"""
import json
import socket
import sys
import urllib.request

from orvane_remote import Program, Screens, count_text, launch_caption, wait_for

_opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))


def get(url):
    with _opener.open(url, timeout=5) as r:
        return r.status, r.headers, r.read()


def status_of_head(port, size):
    """The status line the program answers a GET whose head is SIZE bytes long, its blank
    line included."""
    start = b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Pad: "
    end = b"\r\n\r\n"
    head = start + b"p" * (size - len(start) - len(end)) + end
    assert len(head) == size
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(head)
        received = b""
        while b"\r\n" not in received:
            chunk = s.recv(4096)
            if not chunk:
                break
            received += chunk
    return received.split(b"\r\n")[0]


def main():
    program = Program(sys.argv[1])
    screen = None
    try:
        program.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60))
        program.drive("set frmEventTimers.EventData.Secs2 300")
        program.drive("set frmEventTimers.EventData.Plus2 -")
        program.drive("set frmEventTimers.lblName(2).Caption Fuel \"Load\" \\ 2")
        program.drive("set frmEventTimers.pctEvent(2).Tag -")

        # The page comes with a policy that lets it load nothing from elsewhere and talk to
        # nobody but the program, so a page a screen is shown cannot be turned against it.
        status, headers, body = get(program.url)
        assert status == 200, status
        assert headers["Content-Type"].startswith("text/html"), headers["Content-Type"]
        policy = headers.get("Content-Security-Policy")
        assert policy, "the page has no Content-Security-Policy: %s" % dict(headers)
        rules = {r.strip().split()[0]: r.strip().split()[1:] for r in policy.split(";")
                 if r.strip()}
        assert rules.get("default-src") == ["'none'"], policy
        assert rules.get("connect-src") == ["'self'"], policy
        assert headers.get("X-Content-Type-Options") == "nosniff"
        assert headers.get("Cache-Control") == "no-store"
        assert b"<html" in body.lower()

        # The state: the count as the program shows it, a quarter of an hour to go.
        status, headers, body = get(program.url + "state.json")
        assert status == 200 and headers["Content-Type"].startswith("application/json")
        state = json.loads(body)
        assert count_text(state).startswith("T - 000 00:1"), count_text(state)
        assert state["holding"] is False
        # An event goes out whole, its name as typed, five minutes before the launch.
        assert len(state["events"]) == 1, state["events"]
        event = state["events"][0]
        assert event["number"] == 3 and event["sign"] == "-" and event["offset_s"] == 300, event
        assert event["name"] == 'Fuel "Load" \\ 2', event["name"]
        assert event["moment_ms"] == state["launch_time_ms"] - 300_000, event
        assert isinstance(event["text"], str)

        # A head of 8 KiB is read; one byte more is refused as too large.
        assert status_of_head(program.port, 8192) == b"HTTP/1.1 200 OK"
        assert status_of_head(program.port, 8193) == b"HTTP/1.1 431 Request Header Fields Too Large"

        # Every screen hears the hold when it starts, the same message.
        screen = Screens(program.port, 3)
        wait_for("the screens' first states", lambda: len(screen.messages) >= 3)
        program.drive("click frmOrvane.mnuHoldEnable", timeout=15)
        program.drive("click frmOrvane.cmdHoldResume")
        held = lambda: [m for m in screen.messages if json.loads(m)["holding"]]  # noqa: E731
        wait_for("every screen to hear the hold, byte for byte",
                 lambda: held() and held().count(held()[0]) == 3)
        assert program.state()["holding"] is True
    finally:
        if screen:
            screen.close()
        try:
            program.stop()
        except Exception:
            program.kill()
            raise
    print("server test: passed")


if __name__ == "__main__":
    main()
