#!/usr/bin/python3
"""The debrief report in a real browser: a rehearsal's journal, written by the scenario runner
into a real SQLite file, is exported by the program from the command line as HTML and opened
in headless Chromium. The page loads without a console error, and the holds are drawn where
the count stood still.

    report_browser_test.py PROGRAM RUNNER STORY SCREENSHOT_DIR
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


def main():
    program, runner, story, shots = sys.argv[1:5]
    home = tempfile.mkdtemp(prefix="orvane-report-")
    driver = None
    try:
        data = os.path.join(home, "data")
        journal = os.path.join(data, "Orvane", "Orvane", "journal.sqlite")
        os.makedirs(os.path.dirname(journal))
        os.makedirs(os.path.join(home, "program"))
        first = os.path.join(home, "journal-file.txt")
        with open(first, "w") as f:
            f.write('journal-file "%s"\n' % journal)
        subprocess.run([runner, "--program-dir", os.path.join(home, "program"), first, story],
                       check=True, stdout=subprocess.DEVNULL, timeout=60)
        report = os.path.join(home, "debrief.html")
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=data)
        env.pop("DISPLAY", None)
        subprocess.run([program, "--debrief-html", report], check=True, env=env, timeout=60)

        driver = browser(os.path.join(home, "profile"), window_size="1100,1400", console_log=True)
        driver.get("file://" + report)
        svg = driver.find_element("css selector", "svg")
        errors = [e for e in driver.get_log("browser") if e["level"] in ("SEVERE", "WARNING")]
        assert not errors, errors

        actual = points(driver.find_element("css selector", "polyline.actual"))
        holds = driver.find_elements("css selector", "rect.hold")
        assert len(holds) == 2, len(holds)
        spans = []
        for rect in holds:
            x0 = float(rect.get_attribute("x"))
            x1 = x0 + float(rect.get_attribute("width"))
            box = rect.rect
            assert box["width"] > 0 and box["height"] > 0, box  # drawn, not collapsed
            inside = [y for x, y in actual if x0 - 0.2 <= x <= x1 + 0.2]
            assert len(inside) >= 2, (x0, x1, actual)
            assert max(inside) - min(inside) < 0.2, "the count moved during a hold: %r" % inside
            spans.append((x0, x1))
        # The first hold (90 s) came before the second (20 s) and is wider.
        assert spans[0][1] < spans[1][0], spans
        assert spans[0][1] - spans[0][0] > 4 * (spans[1][1] - spans[1][0]), spans
        texts = [t.text for t in driver.find_elements("css selector", "svg text")]
        assert "Liftoff" in texts and "slip 0:01:50" in texts, texts
        assert "Ignition" in texts and "Orbit" in texts, texts
        rows = driver.find_elements("css selector", "table.happenings tr")
        assert len(rows) > 10, len(rows)
        totals = driver.find_element("css selector", "table.totals").text
        assert "2, 0:01:50.000 in all, the launch moved 0:01:50" in totals, totals
        os.makedirs(shots, exist_ok=True)
        driver.save_screenshot(os.path.join(shots, "debrief-report.png"))
        assert svg.rect["width"] > 500
    finally:
        if driver:
            driver.quit()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
