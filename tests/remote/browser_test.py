#!/usr/bin/python3
"""A screen in the room: headless Chromium shows the program's count, follows a hold and a
resume, and shows an event row, while the real program runs offscreen.

    browser_test.py PROGRAM
"""
import json
import os
import re
import socket
import sys
import tempfile
import time

from orvane_remote import (Program, Screens, add_built_in_hold, browser, count_text,
                           launch_caption, page_keeps_the_programs_clock, shut_down,
                           wait_for)


def page_count(driver):
    return driver.find_element("id", "count").text


def page_matches_program(driver, program):
    """The page's digits equal the program's, read between two equal readings of the program."""
    before = count_text(program.state())
    shown = page_count(driver)
    after = count_text(program.state())
    return before == after == shown


def background(driver, element_id):
    return driver.find_element("id", element_id).value_of_css_property("background-color")


def launch_text(ms):
    """A launch moment as the program writes its launch time."""
    t = time.localtime(ms // 1000)
    return "%s %d, %d   %d:%02d:%02d %s" % (time.strftime("%B", t), t.tm_mday, t.tm_year,
                                             t.tm_hour % 12 or 12, t.tm_min, t.tm_sec,
                                             "AM" if t.tm_hour < 12 else "PM")


def page_launch_matches_program(driver, program):
    before = launch_text(program.state()["launch_time_ms"])
    shown = driver.find_element("id", "launch").text
    after = launch_text(program.state()["launch_time_ms"])
    return before == after == shown


def plan_text(state):
    plan = state.get("plan") or {}
    hold = plan.get("built_in_hold")
    if not hold:
        return plan.get("l_count"), None
    left = hold["left_s"]
    return plan["l_count"], "%s  %s%d:%02d:%02d" % (hold["label"], "" if left >= 0 else "+",
                                                   abs(left) // 3600, abs(left) // 60 % 60,
                                                   abs(left) % 60)


def watch_built_in_hold(driver, program):
    add_built_in_hold(program, 3, 4)
    wait_for("the page to show the L count", lambda: driver.find_element("id", "plan").is_displayed())
    seen = {}

    def hold_over():
        before = program.state()
        shown = (page_count(driver), driver.find_element("id", "lcount").text,
                 driver.find_element("id", "builtin").text
                 if driver.find_element("id", "builtin").is_displayed() else None)
        after = program.state()
        program_shows = (count_text(before),) + plan_text(before)
        # The page turns a moment after the program: a second counts once they were alike.
        if program_shows == (count_text(after),) + plan_text(after) == shown and \
                before["plan"]["built_in_hold"]:
            seen[program_shows[2]] = shown
        return seen and not after["holding"]
    wait_for("the built-in hold to pass", hold_over, timeout=20, step=0.05)
    # Every second of the hold was seen alike: its time left ran 0:00:04 to 0:00:01.
    assert sorted(seen) == ["Built-in hold  0:00:0%d" % n for n in (1, 2, 3, 4)], seen
    liftoff_ms = program.state()["plan"]["liftoff_ms"]
    day = time.localtime(liftoff_ms // 1000).tm_mday
    expected = launch_text(liftoff_ms).replace(" %d, " % day, " %02d, " % day, 1)
    assert driver.find_element("id", "liftoff").text == expected, expected


def main():
    program = Program(sys.argv[1])
    profile = tempfile.mkdtemp(prefix="orvane-chromium-")
    driver = None
    screen = None
    try:
        # A launch a quarter of an hour ahead, and an event five minutes before it.
        program.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60))
        program.drive("set frmEventTimers.EventData.Secs2 300")
        program.drive("set frmEventTimers.EventData.Plus2 -")
        program.drive("set frmEventTimers.lblName(2).Caption Fuel Load")
        program.drive("set frmEventTimers.pctEvent(2).Tag -")

        # A plain WebSocket screen beside the page, to hear what the program sends.
        screen = Screens(program.port, 1)
        driver = browser(profile)
        driver.get(program.url)
        wait_for("the page to show the count",
                 lambda: re.fullmatch(r"T - 000 00:1[45]:\d\d", page_count(driver)))
        wait_for("the page to equal the program", lambda: page_matches_program(driver, program))
        assert "held" not in driver.find_element("id", "count").get_attribute("class")
        page_keeps_the_programs_clock(driver)

        row = wait_for("the event row", lambda: driver.find_elements("id", "event-3"))[0]
        cells = row.find_elements("tag name", "td")
        assert cells[0].text == "Fuel Load", cells[0].text
        assert re.fullmatch(r"- 0/ +00:(09|10):\d\d", cells[1].text), cells[1].text
        assert "ahead" in cells[1].get_attribute("class")

        # A hold freezes the page's digits on the hold colour, at the program's count.
        program.drive("click frmOrvane.mnuHoldEnable", timeout=15)
        program.drive("click frmOrvane.cmdHoldResume")
        wait_for("the hold colour",
                 lambda: "held" in driver.find_element("id", "count").get_attribute("class"))
        assert background(driver, "count") == "rgba(255, 255, 0, 1)", background(driver, "count")
        held = page_count(driver)
        assert program.state()["holding"] is True
        assert held == count_text(program.state()), (held, program.state()["count"])
        # Two of the program's seconds pass, and the page stands still all along.
        held_at = program.state()["server_time_ms"]
        moved = []

        def two_seconds_held():
            if page_count(driver) != held:
                moved.append(page_count(driver))
            return program.state()["server_time_ms"] >= held_at + 2000
        wait_for("two seconds of the hold", two_seconds_held)
        assert not moved, "the page went on counting during the hold: %r" % moved
        assert page_count(driver) == held, "the page went on counting during the hold"
        assert count_text(program.state()) == held
        # The hold is said in words too, and the launch time moves on as the program's does.
        assert driver.find_element("id", "hold").is_displayed()
        assert driver.find_element("id", "hold").text == "HOLD"
        wait_for("the page's launch time to equal the program's",
                 lambda: page_launch_matches_program(driver, program))

        # Resuming goes on from the held count.
        program.drive("click frmOrvane.cmdHoldResume")
        wait_for("the page to count again", lambda: page_count(driver) != held, timeout=5)
        assert "held" not in driver.find_element("id", "count").get_attribute("class")
        assert background(driver, "count") == "rgba(224, 224, 224, 1)"
        assert not driver.find_element("id", "hold").is_displayed()
        wait_for("the page to equal the program", lambda: page_matches_program(driver, program))

        # A click fills the screen, another leaves full screen.
        def full_screen():
            return driver.execute_script("return document.fullscreenElement !== null")
        driver.find_element("id", "count").click()
        wait_for("full screen", full_screen, timeout=5)
        driver.find_element("id", "count").click()
        wait_for("full screen to end", lambda: not full_screen(), timeout=5)

        # Removing the event removes its row.
        program.drive("set frmEventTimers.pctEvent(2).Tag ")
        wait_for("the row to go", lambda: not driver.find_elements("id", "event-3"))

        # The program spoke at the connection and at each change, never because a second
        # passed: the hold, the resume, the removal. A last hold closes the list: whatever the
        # program sent before it has come before it.
        wait_for("the screen to hear the removal", lambda: len(screen.messages) >= 4, timeout=5)
        program.drive("click frmOrvane.cmdHoldResume")
        wait_for("the screen to hear the last hold",
                 lambda: any(json.loads(m)["holding"] for m in screen.messages[4:]), timeout=5)
        states = [json.loads(m) for m in screen.messages]
        assert [(s["holding"], len(s["events"])) for s in states] == \
            [(False, 1), (True, 1), (False, 1), (False, 0), (True, 0)], states

        # A built-in hold: the page shows the program's T and L counts and the hold's time
        # left at every second of it, and liftoff's time.
        program.drive("click frmOrvane.cmdHoldResume")
        watch_built_in_hold(driver, program)

        # A follower whose broker refuses it has no count of its own to show: the page says why.
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        closed = listener.getsockname()[1]
        listener.close()
        follower = Program(sys.argv[1], args=["--follow", "mqtt://127.0.0.1:%d/t" % closed],
                           env_extra={"ORVANE_INSTANCE_NAME": "orvane-browser-follower-%d" %
                                      os.getpid()})
        try:
            driver.get(follower.url)
            wait_for("the page to say why it shows no count", lambda: driver.find_element(
                "id", "launch").text.startswith("Leader not heard yet: The broker at 127.0.0.1:"))
            assert page_count(driver) == "T - --- --:--:--", page_count(driver)
            assert not driver.find_elements("id", "event-1")
        finally:
            follower.kill()
    finally:
        if screen:
            screen.close()
        shut_down(driver, profile, program)
    print("browser test: passed")


if __name__ == "__main__":
    main()
