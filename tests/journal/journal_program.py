"""The real program with its real journal, driven from outside for the journal's tests.

Runs the program offscreen in a home of its own, drives it through its standard input
(ORVANE_DRIVE_STDIN=1, which also prints a "journal ..." line for each record once it is
committed) and keeps what it prints on standard output and standard error.
"""
import os
import queue
import shutil
import sqlite3
import sys
import subprocess
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from orvane_remote import wait_for as remote_wait_for  # noqa: E402


def wait_for(what, check, timeout=20, step=0.05):
    """The remote tests' bounded wait, with the longer bound a journal on disk may need."""
    return remote_wait_for(what, check, timeout, step)


class Program:
    def __init__(self, exe, data_home=None, env=None, args=()):
        self.home = tempfile.mkdtemp(prefix="orvane-journal-")
        for d in ("config", "runtime"):
            os.makedirs(os.path.join(self.home, d), mode=0o700)
        self.data_home = data_home or os.path.join(self.home, "data")
        full_env = dict(os.environ)
        full_env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"),
                        XDG_DATA_HOME=self.data_home,
                        ORVANE_INSTANCE_NAME="orvane-journal-%d" % os.getpid(),
                        QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1")
        full_env.update(env or {})
        self.proc = subprocess.Popen([os.path.abspath(exe), *args],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=full_env, cwd=self.home,
                                     text=True, bufsize=1)
        self.answers = queue.Queue()
        self.journal = []  # "journal ..." lines, in the order printed
        self.stdout = []
        self.stderr = []
        threading.Thread(target=self._read_out, daemon=True).start()
        threading.Thread(target=self._read_err, daemon=True).start()

    @property
    def journal_path(self):
        return os.path.join(self.data_home, "Orvane", "Orvane", "journal.sqlite")

    def _read_out(self):
        for line in self.proc.stdout:
            line = line.rstrip("\n")
            self.stdout.append(line)
            if line.startswith("journal "):
                self.journal.append(line)
            elif line.startswith(("done ", "error ")):
                self.answers.put(line)
        self.answers.put(None)

    def _read_err(self):
        for line in self.proc.stderr:
            self.stderr.append(line.rstrip("\n"))

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def drive(self, line, timeout=20):
        """One input, retried while its control is disabled; its answer must be done."""
        end = time.monotonic() + timeout
        while True:
            self.send(line)
            answer = self.answers.get(timeout=max(0.1, end - time.monotonic()))
            assert answer is not None, "the program ended early"
            if answer.startswith("done "):
                return
            assert answer.endswith(": disabled") and time.monotonic() < end, answer
            time.sleep(0.1)

    def arm_holds(self):
        """A launch an hour ahead, and holds armed."""
        t = time.localtime(time.time() + 3600)
        hour = t.tm_hour % 12 or 12
        caption = "%s %d, %d   %d:%02d:%02d %s" % (time.strftime("%B", t), t.tm_mday, t.tm_year,
                                                   hour, t.tm_min, t.tm_sec,
                                                   "AM" if t.tm_hour < 12 else "PM")
        self.drive("set frmOrvane.lblTarget.Caption " + caption)
        self.drive("click frmOrvane.mnuHoldEnable")

    def stop(self):
        if self.proc.poll() is None:
            self.send("end")
            status = self.proc.wait(timeout=20)
            assert status == 0, "the program ended with status %d" % status

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def remove(self):
        self.kill()
        shutil.rmtree(self.home, ignore_errors=True)


def journal_lines(path):
    """The records of a journal file as the program prints them, in order."""
    db = sqlite3.connect(path)
    try:
        rows = db.execute("SELECT kind, count, details FROM record ORDER BY id").fetchall()
        check = db.execute("PRAGMA integrity_check").fetchone()[0]
    finally:
        db.close()
    lines = ['journal %s count="%s"%s' % (k, c, " " + d if d else "") for k, c, d in rows]
    return lines, check
