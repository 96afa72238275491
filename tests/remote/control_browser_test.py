#!/usr/bin/python3
"""The director's tablet: headless Chromium opens the control page from the pairing code's
address, names itself, pairs, enables holds, holds and resumes. The leader's count, its
journal and main screen, and a follower through a real mosquitto broker on 127.0.0.1, each
show every command with the tablet's name. The overlay for video mixers shows the count on a
transparent background.

    control_browser_test.py PROGRAM [tls]

With tls the leader serves over HTTPS and WSS (--serve-tls) with a certificate made here,
which only this test's browser trusts; the token's cookie is then Secure too.
"""
import os
import re
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "follow"))
from mqtt_test import Broker, get, status, following_text  # noqa: E402
from orvane_remote import (Program, browser, connect, launch_caption,  # noqa: E402
                           page_keeps_the_programs_clock, shut_down, test_certificate, wait_for)

NAME = "Flight director's tablet"


class Recorded(Program):
    """The program, every line it printed kept: its journal's records among them."""

    def wait_line(self, wanted, timeout):
        def keep(line):
            self.__dict__.setdefault("history", []).append(line)
            return wanted(line)
        return super().wait_line(keep, timeout)


def recorded(program, kind, detail='by="%s"' % NAME):
    """The program's record of KIND with DETAIL, printed already or waited for."""
    def wanted(line):
        return line.startswith("journal %s " % kind) and detail in line
    if any(wanted(line) for line in getattr(program, "history", [])):
        return
    program.wait_line(wanted, 10)


def note(program):
    return get(program, "frmOrvane.sbrStatusBar(pnlCommand).Text")


def stalled_handshakes(program):
    """Over TLS a connection is counted and timed from its accept, before its handshake: a
    host's ninth connection that never says a word is closed at once, the eight before it
    within the program's 5 s for a request, and the count goes on meanwhile."""
    silent = [connect(program.port, "127.0.0.5", timeout=10) for _ in range(8)]
    ninth = connect(program.port, "127.0.0.5", timeout=10)
    assert ninth.recv(100) == b"", "a ninth connection of one host was kept"
    ninth.close()
    first = program.state()["server_time_ms"] // 1000
    for s in silent:
        try:
            assert s.recv(100) == b"", "a connection that never began its handshake was answered"
        except ConnectionResetError:
            pass
        s.close()
    wait_for("the count to turn", lambda: program.state()["server_time_ms"] // 1000 > first)


def main():
    exe = sys.argv[1]
    tls = sys.argv[2:] == ["tls"]
    folder = tempfile.mkdtemp(prefix="orvane-control-browser-")
    os.chmod(folder, 0o755)
    broker = Broker(folder, tls=False)
    cert = key = spki = None
    if tls:
        cert, key, spki = test_certificate(folder)
    profile = tempfile.mkdtemp(prefix="orvane-chromium-")
    programs, driver = [], None
    leader = None
    try:
        def start(name, args, cafile=None):
            p = Recorded(exe, args=["--no-splash", *args], cafile=cafile, env_extra={
                "ORVANE_INSTANCE_NAME": "orvane-control-%s-%d" % (name, os.getpid())})
            programs.append(p)
            return p
        leader = start("leader", ["--publish", broker.url(), "--serve-name", "orvane.test",
                                  *(["--serve-tls", cert, key] if tls else [])], cafile=cert)
        follower = start("follower", ["--follow", broker.url()])
        leader.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60), timeout=15)
        wait_for("the follower to follow", lambda: status(follower) == following_text(broker),
                 timeout=15)
        leader.drive("click frmOrvane.mnuRemoteDisplays")
        leader.drive("click frmRemoteDisplays.chkControl")
        leader.drive("click frmRemoteDisplays.cmdPair")
        code = get(leader, "frmRemoteDisplays.lblPairCode.Caption").replace(" ", "")

        # The code's picture opens the control page with the code filled in.
        driver = browser(profile, window_size="412,915", trusted_spki=spki)
        driver.get(leader.url + "control#" + code)
        find = driver.find_element
        wait_for("the pairing form", lambda: find("id", "pair").is_displayed())
        assert find("id", "code").get_attribute("value") == code
        find("id", "name").send_keys(NAME)
        find("id", "pairButton").click()
        wait_for("the commands", lambda: find("id", "commands").is_displayed())
        wait_for("the device's name", lambda: find("id", "device").text == "Paired as " + NAME)
        wait_for("the program's state",
                 lambda: driver.execute_script("return state !== null && !!state.count"))
        page_keeps_the_programs_clock(driver)
        assert driver.execute_script("return document.cookie") == "", "the token is HttpOnly"
        cookies = driver.get_cookies()
        assert len(cookies) == 1 and cookies[0]["httpOnly"] and \
            cookies[0]["sameSite"] == "Strict" and cookies[0]["path"] == "/control" and \
            cookies[0]["secure"] == tls, cookies
        recorded(leader, "device-paired", 'device="%s"' % NAME)

        # Holds are not enabled: the big button is greyed, as the program's is.
        main_button = find("id", "main")
        wait_for("Hold greyed", lambda: not main_button.is_enabled())
        find("id", "arm").click()
        recorded(leader, "remote-command")
        wait_for("Hold to be offered", lambda: main_button.is_enabled() and
                 main_button.text == "Hold")
        main_button.click()
        recorded(leader, "hold")
        wait_for("the leader to hold", lambda: leader.state()["holding"])
        wait_for("the page to say Resume", lambda: main_button.text == "Resume")
        assert "held" in find("id", "count").get_attribute("class")
        for p in (leader, follower):
            wait_for("the name on the main screen",
                     lambda p=p: note(p) == "Hold from " + NAME, timeout=5)
        recorded(follower, "hold")
        assert follower.state()["holding"]

        main_button.click()
        recorded(leader, "resume")
        wait_for("the leader to count again", lambda: not leader.state()["holding"])
        recorded(follower, "resume")
        wait_for("the page to say Hold", lambda: main_button.text == "Hold")
        wait_for("the follower's main screen",
                 lambda: note(follower) == "Resume from " + NAME, timeout=5)

        # The overlay for a video mixer: the count alone, on nothing, the launch time if asked.
        driver.get(leader.url + "overlay?scheme=dark&launch=1")
        count = find("id", "count")
        wait_for("the overlay's count", lambda: re.fullmatch(r"T - 000 00:1[45]:\d\d",
                                                             count.text))
        assert driver.execute_script(
            "return getComputedStyle(document.body).backgroundColor") == "rgba(0, 0, 0, 0)"
        assert count.value_of_css_property("color") == "rgba(0, 0, 0, 1)"
        assert find("id", "launch").is_displayed()
        page_keeps_the_programs_clock(driver)
        driver.get(leader.url + "control")

        if tls:
            stalled_handshakes(leader)

        # Forgotten on the program: the page says it is not paired any more.
        leader.drive("click frmRemoteDisplays.cmdForgetAll")
        wait_for("the page to offer pairing again", lambda: find("id", "pair").is_displayed(),
                 timeout=10)
    finally:
        for p in programs:
            if p is not leader:
                p.kill()
        if leader:
            shut_down(driver, profile, leader)
        broker.stop()
        shutil.rmtree(folder, ignore_errors=True)
    print("control browser test: passed")


if __name__ == "__main__":
    main()
