#!/usr/bin/python3
"""A rehearsal on a countdown plan, from the journal to the report a browser shows: the scenario
runner writes the journal into a real SQLite file and exports the rehearsal from the Debrief
window; the program exports it again from the command line, byte for byte the same. Opened in
headless Chromium, the page is titled and styled as written, and its picture draws the two
built-in holds as bands of their own beside the hold by hand, the poll's 30 seconds past its
plan in red from where it was planned to end, the count standing still across each, and a
legend naming each kind of band.

    planned_report_test.py PROGRAM RUNNER STORY SCREENSHOT_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from orvane_remote import browser  # noqa: E402


def points(polyline):
    return [tuple(float(v) for v in p.split(",")) for p in polyline.get_attribute("points").split()]


def span(rect):
    x0 = float(rect.get_attribute("x"))
    return x0, x0 + float(rect.get_attribute("width"))


def main():
    program, runner, story, shots = sys.argv[1:5]
    home = tempfile.mkdtemp(prefix="orvane-planned-")
    driver = None
    try:
        data = os.path.join(home, "data")
        journal = os.path.join(data, "Orvane", "Orvane", "journal.sqlite")
        os.makedirs(os.path.dirname(journal))
        folder = os.path.join(home, "program")
        os.makedirs(folder)
        first = os.path.join(home, "journal-file.txt")
        with open(first, "w") as f:
            f.write('journal-file "%s"\n' % journal)
        subprocess.run([runner, "--program-dir", folder, first, story], check=True, cwd=folder,
                       stdout=subprocess.DEVNULL, timeout=60)
        from_window = os.path.join(folder, "report.html")
        report = os.path.join(home, "debrief.html")
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=data)
        env.pop("DISPLAY", None)
        subprocess.run([program, "--debrief-html", report, "--run", "1"], check=True, env=env,
                       timeout=60)
        with open(from_window, "rb") as a, open(report, "rb") as b:
            assert a.read() == b.read(), "the window's export differs from the command line's"

        driver = browser(os.path.join(home, "profile"), window_size="1100,1200", console_log=True)
        driver.get("file://" + report)
        errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
        assert not errors, errors
        # The head: its title, its character set, its styles.
        assert driver.title == "Orvane debrief", driver.title
        assert driver.execute_script("return document.characterSet") == "UTF-8"
        style = "return getComputedStyle(document.querySelector(arguments[0]))[arguments[1]]"
        for selector, name, value in (("body", "fontFamily", "sans-serif"),
                                      ("table", "borderCollapse", "collapse"),
                                      ("th", "backgroundColor", "rgb(238, 238, 238)"),
                                      ("td.count", "fontFamily", "monospace"),
                                      ("td.count", "whiteSpace", "nowrap"),
                                      ("section.run", "marginBottom", "48px")):
            got = driver.execute_script(style, selector, name)
            assert got == value, (selector, name, got)

        holds = driver.find_elements("css selector", "rect.hold")
        built = driver.find_elements("css selector", "rect.built-in-hold")
        late = driver.find_elements("css selector", "rect.built-in-overrun")
        assert (len(holds), len(built), len(late)) == (1, 2, 1), (len(holds), len(built), len(late))
        labels = [b.get_attribute("data-label") for b in built]
        assert labels == ["Built-in hold: questions", "Final built-in hold: go/no-go poll"], labels
        fills = {driver.execute_script("return getComputedStyle(arguments[0]).fill", r)
                 for r in (holds[0], built[0], late[0])}
        assert len(fills) == 3, fills
        for rect in holds + built + late:
            box = rect.rect
            assert box["width"] > 0 and box["height"] > 0, box
        # Three minutes, 45 seconds, then 90 seconds of which the last 30 are red.
        (b0, b1), (h0, h1), (p0, p1), (l0, l1) = (span(built[0]), span(holds[0]), span(built[1]),
                                                  span(late[0]))
        assert b1 < h0 and h1 < p0, (b0, b1, h0, h1, p0, p1)
        assert abs((p1 - p0) / (b1 - b0) - 90 / 180) < 0.01, (p0, p1, b0, b1)
        assert abs((l1 - l0) / (p1 - p0) - 30 / 90) < 0.01, (l0, l1, p0, p1)
        assert abs(l1 - p1) < 0.2, (l1, p1)
        assert (int(late[0].get_attribute("data-from-ms")) ==
                int(built[1].get_attribute("data-planned-end-ms")))
        actual = points(driver.find_element("css selector", "polyline.actual"))
        for x0, x1 in ((b0, b1), (h0, h1), (p0, p1)):
            inside = [y for x, y in actual if x0 - 0.2 <= x <= x1 + 0.2]
            assert len(inside) >= 2 and max(inside) - min(inside) < 0.2, (x0, x1, inside)
        texts = [t.text for t in driver.find_elements("css selector", "svg text")]
        for name in ("hold", "built-in hold", "past its planned end", "Liftoff", "slip 0:01:15"):
            assert name in texts, (name, texts)
        swatches = driver.find_elements("css selector", "rect.legend")
        assert [s.get_attribute("data-for") for s in swatches] == [
            "hold", "built-in hold", "past its planned end"], swatches
        totals = driver.find_element("css selector", "table.totals").text
        assert "Built-in holds 2, 0:04:30 in all, planned 0:04:00" in totals, totals
        assert "slip against the plan 0:01:15" in totals, totals
        os.makedirs(shots, exist_ok=True)
        driver.save_screenshot(os.path.join(shots, "debrief-report-planned.png"))
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
