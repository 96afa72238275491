#!/usr/bin/python3
"""Stalls of the user-interface thread (bench/run --only=stalls): the probed program
(offscreen, the benchmark's scene with a fine timer, ORVANE_BENCH_SCENE=stalls) in cases that
once held its thread up, each for SECONDS. From the probe's trace: each turn of the second's
paint, how late in its second it came (the program's clock runs on the computer's here), any
second with no paint, and the fine timer's longest lateness in each second.

Cases:
  flood     a follower of a leader on a private mosquitto on 127.0.0.1 while a publisher
            under nice floods the leader's topic with 5,000 changing messages a second;
  unticked  a leader whose broker does not answer (a listener on 127.0.0.1 whose accept
            queue is full, so that further connects wait) while Publish is ticked and
            unticked every 2 s in the Remote Displays dialog;
  runs100   the Debrief window opened on a journal of 1,000,000 records in 100 runs, the
            runs switched every second, then the run shown (10,000 records) deleted (the
            probe answers Yes);
  run500k   the Debrief window opened on a journal of one run of 500,000 records, that run
            shown and deleted.

Prints a table and one PASS or FAIL line per case: no second painted more than 50 ms after
it turns, none skipped. The fine timer's lateness is shown, not held.

    bench/stalls.py PROGRAM SECONDS [CASE,...]
Exits 0 when every case passed, 1 otherwise. Loopback only; every wait is bounded; what it
starts is ended here.
"""
import json
import os
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "remote"))
sys.path.insert(0, os.path.join(here, "..", "tests", "follow"))
from orvane_remote import Program, launch_caption, wait_for  # noqa: E402
from mqtt_test import Broker, free_port, status, TOPIC  # noqa: E402
from remote import read_trace, late_ms, SETTLE_SECONDS  # noqa: E402
from journal_stalls import make_journal  # noqa: E402

LATE_LIMIT_MS = 50
RATE = 5_000


def probed(exe, folder, name, args, env=None):
    trace = os.path.join(folder, name + ".trace")
    program = Program(exe, args=["--no-splash", *args],
                      env_extra={"ORVANE_BENCH_TRACE": trace, "ORVANE_BENCH_SCENE": "stalls",
                                 "ORVANE_INSTANCE_NAME": "orvane-stalls-%s-%d" % (
                                     name, os.getpid()), **(env or {})})
    return program, trace


def judge(name, trace, began_ns):
    """(passed, row) from the paints and fine timer lines after BEGAN_NS. Each whole wall
    second from the first paint to the last must have a paint of the seconds label; its first
    paint's distance from the turn is the second's lateness. (Messages may change the count
    within a second too: only the first paint after each turn is timed.)"""
    lines = read_trace(trace)
    paints = sorted(int(p[1]) for p in lines.get("paint", []) if int(p[1]) >= began_ns)
    first = {}
    for ns in paints:
        first.setdefault(ns // 1_000_000_000, ns)
    seconds = range(min(first), max(first) + 1) if first else range(0)
    late = [late_ms(first[s]) for s in seconds if s in first]
    skipped = sum(1 for s in seconds if s not in first)
    fine = [int(p[2]) / 1000 for p in lines.get("fine", []) if int(p[1]) >= began_ns]
    worst = max(late) if late else float("inf")
    passed = bool(late) and worst <= LATE_LIMIT_MS and skipped == 0
    row = "%-9s %8d %10.1f %8d %14.1f" % (name, len(seconds), worst, skipped,
                                          max(fine) if fine else float("nan"))
    return passed, row


def flood(broker, template, seconds, stop):
    pub = subprocess.Popen(["nice", "-n", "10", "mosquitto_pub", "-h", "127.0.0.1", "-p",
                            str(broker.port), "-t", TOPIC, "-l"],
                           stdin=subprocess.PIPE, text=True)
    began = time.monotonic()
    message = dict(template)
    sent = 0
    try:
        while not stop.is_set() and time.monotonic() - began < seconds:
            for _ in range(RATE // 20):
                sent += 1
                message["sequence"] = template["sequence"] + sent
                message["launch_time_ms"] = template["launch_time_ms"] + sent * 1000
                message["holding"] = sent % 2 == 1
                pub.stdin.write(json.dumps(message) + "\n")
            pub.stdin.flush()
            time.sleep(max(0.0, began + sent / RATE - time.monotonic()))
    finally:
        pub.stdin.close()
        pub.wait(timeout=30)
    print("flood: %d messages at %.0f a second" % (sent, sent / (time.monotonic() - began)))


def case_flood(exe, folder, seconds):
    broker = Broker(folder, False)
    programs = []
    try:
        leader = Program(exe, args=["--no-splash", "--own-clock", "--publish", broker.url()],
                         env_extra={"ORVANE_INSTANCE_NAME": "orvane-stalls-leader-%d" %
                                    os.getpid()})
        programs.append(leader)
        leader.drive("click frmOrvane.cmdAccess", timeout=15)
        leader.drive("set frmOrvane.lblTarget.Caption " + launch_caption(2 * 3600))
        follower, trace = probed(exe, folder, "flood", ["--follow", broker.url()])
        programs.append(follower)
        wait_for("the follower to follow",
                 lambda: status(follower).startswith("Following "), timeout=15)
        time.sleep(SETTLE_SECONDS)  # the start-up's own work is not measured
        word = subprocess.run(["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port), "-t",
                               TOPIC, "-C", "1", "-W", "5"], check=True, capture_output=True,
                              text=True, timeout=10).stdout
        began = time.time_ns()
        flood(broker, json.loads(word), seconds, threading.Event())
        time.sleep(2)  # the seconds after the flood count too
        return judge("flood", trace, began)
    finally:
        for p in programs:
            p.kill()
        broker.stop()


def case_unticked(exe, folder, seconds):
    # A listener that never accepts: once its queue is full, a connect waits unanswered.
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(0)
    port = listener.getsockname()[1]
    fillers = []
    for _ in range(3):
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(("127.0.0.1", port))
        fillers.append(s)
    address = "mqtt://127.0.0.1:%d/%s" % (port, TOPIC)
    program, trace = probed(exe, folder, "unticked", ["--own-clock", "--publish", address])
    try:
        program.drive("click frmOrvane.mnuRemoteDisplays", timeout=15)
        time.sleep(SETTLE_SECONDS)
        began = time.time_ns()
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            program.drive("click frmRemoteDisplays.chkPublish")
            time.sleep(2)
        return judge("unticked", trace, began)
    finally:
        program.kill()
        for s in fillers:
            s.close()
        listener.close()


def records_kept(path):
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=5)
    try:
        return db.execute("SELECT count(*) FROM record").fetchone()[0]
    finally:
        db.close()


def journal_ready(path):
    """The program has brought the journal to today's layout (its runs summarised)."""
    try:
        db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=1)
        try:
            return db.execute("PRAGMA user_version").fetchone()[0] >= 2
        finally:
            db.close()
    except sqlite3.Error:
        return False


def debrief_case(name, records, runs, switch):
    def case(exe, folder, seconds):
        data = os.path.join(folder, name + "-data")
        journal = os.path.join(data, "Orvane", "Orvane", "journal.sqlite")
        os.makedirs(os.path.dirname(journal))
        make_journal(journal, records, runs)
        program, trace = probed(exe, folder, name, ["--own-clock"], {"XDG_DATA_HOME": data})
        try:
            wait_for("the journal to be summarised", lambda: journal_ready(journal), timeout=120)
            time.sleep(SETTLE_SECONDS)
            began = time.time_ns()
            program.drive("click frmOrvane.mnuDebrief", timeout=15)
            # The program's own run is the last: the large ones stand before it.
            time.sleep(1)
            program.drive("click frmDebrief.cmdPrevRun", timeout=15)
            end = time.monotonic() + seconds
            while switch and time.monotonic() < end:
                time.sleep(1)
                program.drive("click frmDebrief.cmdPrevRun", timeout=15)
            time.sleep(2)
            kept = records_kept(journal)
            program.drive("click frmDebrief.cmdDeleteRun", timeout=15)
            time.sleep(max(3, end - time.monotonic()))
            wait_for("the run to be deleted",
                     lambda: records_kept(journal) <= kept - records // runs // 2, timeout=60)
            return judge(name, trace, began)
        finally:
            program.kill()
            shutil.rmtree(data, ignore_errors=True)
    return case


def main():
    exe, seconds = sys.argv[1], int(sys.argv[2])
    chosen = sys.argv[3].split(",") if len(sys.argv) > 3 else None
    folder = tempfile.mkdtemp(prefix="orvane-stalls-")
    os.chmod(folder, 0o755)
    results = []
    try:
        cases = {"flood": case_flood, "unticked": case_unticked,
                 "runs100": debrief_case("runs100", 1_000_000, 100, True),
                 "run500k": debrief_case("run500k", 500_000, 1, False)}
        for name, case in cases.items():
            if chosen is None or name in chosen:
                results.append(case(exe, folder, seconds))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("stalls     seconds  late (ms)  skipped  fine late (ms)")
    for _, row in results:
        print(row)
    ok = True
    for passed, row in results:
        name = row.split()[0]
        print("%s stalls %s: no second painted more than %d ms late, none skipped" %
              ("PASS" if passed else "FAIL", name, LATE_LIMIT_MS))
        ok = ok and passed
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
