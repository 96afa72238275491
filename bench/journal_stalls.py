#!/usr/bin/python3
"""The journal's exports on a large journal: peak memory and time of --journal-csv and
--debrief-html on a journal of 1,000,000 records in 100 runs, and on one of a single run of
500,000 records, each export written whole (--all) and as the last run.

    bench/journal_stalls.py PROGRAM [--records N] [--bound-mb MB]

Prints a table and one PASS or FAIL line per export against the bound (default 100 MB of
peak resident memory). The journals are made in a folder of their own and removed after.
"""
import argparse
import os
import shutil
import sqlite3
import subprocess
import tempfile
import time

APPLICATION_ID = 0x4F52564A
RECORD_TABLE = ("CREATE TABLE record (id INTEGER PRIMARY KEY, run INTEGER NOT NULL,"
                " kind TEXT NOT NULL, true_ms INTEGER NOT NULL, program_ms INTEGER,"
                " count TEXT NOT NULL, count_seconds INTEGER NOT NULL, details TEXT NOT NULL,"
                " launch_file TEXT NOT NULL); CREATE INDEX record_run ON record(run);")
KINDS = ("hold", "resume", "event-passed", "window-warned")


def make_journal(path, records, runs):
    """A journal as an older program wrote it (the exports read it as it is)."""
    db = sqlite3.connect(path)
    db.executescript("PRAGMA application_id = %d; PRAGMA user_version = 1;" % APPLICATION_ID +
                     RECORD_TABLE)
    per_run = records // runs
    start = 988885200000

    def rows():
        for i in range(records):
            run = min(i // per_run, runs - 1) + 1
            kind = "start" if i % per_run == 0 else KINDS[i % len(KINDS)]
            details = 'held="3" old-launch="2001-05-03 10:30:00" launch="2001-05-03 10:30:03"' \
                if kind == "resume" else ""
            yield (run, kind, start + i * 1370, None, "T - 000 00:09:00", 540, details,
                   "/data/launch.ovx")

    db.executemany("INSERT INTO record (run, kind, true_ms, program_ms, count, count_seconds,"
                   " details, launch_file) VALUES (?,?,?,?,?,?,?,?)", rows())
    db.commit()
    db.close()


def export(exe, home, option, *args):
    """Peak resident memory (MB) and seconds of one export, in a process of its own."""
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"), QT_QPA_PLATFORM="offscreen")
    out = os.path.join(home, "out")
    begun = time.monotonic()
    # A child of its own measures its own peak: the wrapper reports ru_maxrss of its child.
    probe = ("import resource, subprocess, sys; r = subprocess.run(sys.argv[1:]).returncode; "
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss); sys.exit(r)")
    done = subprocess.run(["/usr/bin/python3", "-c", probe, exe, option, out, *args], env=env,
                          capture_output=True, text=True)
    seconds = time.monotonic() - begun
    assert done.returncode == 0, done.stderr
    size = os.path.getsize(out)
    os.remove(out)
    return int(done.stdout.strip()) / 1024, seconds, size


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--records", type=int, default=1_000_000)
    parser.add_argument("--bound-mb", type=float, default=100)
    a = parser.parse_args()
    failed = False
    print("%-28s %-15s %-6s %10s %8s %10s" % ("journal", "export", "choice", "peak MB", "s",
                                              "out MB"))
    for name, records, runs in (("%d records in 100 runs" % a.records, a.records, 100),
                                ("one run of %d" % (a.records // 2), a.records // 2, 1)):
        home = tempfile.mkdtemp(prefix="orvane-bench-journal-")
        try:
            folder = os.path.join(home, "data", "Orvane", "Orvane")
            os.makedirs(folder)
            make_journal(os.path.join(folder, "journal.sqlite"), records, runs)
            for option in ("--journal-csv", "--debrief-html"):
                for choice in ("--all", None):
                    peak, seconds, size = export(os.path.abspath(a.program), home, option,
                                                 *([choice] if choice else []))
                    ok = peak < a.bound_mb
                    failed = failed or not ok
                    print("%-28s %-15s %-6s %10.1f %8.1f %10.1f  %s" % (
                        name, option, choice or "last", peak, seconds, size / 1e6,
                        "PASS" if ok else "FAIL (bound %g MB)" % a.bound_mb))
        finally:
            shutil.rmtree(home, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    raise SystemExit(main())
