#!/usr/bin/python3
"""The command-line exports write only to a new or a regular file. A device, a pipe, a socket
or a folder is refused with a clear message and status 1 and is left as it was; "-" writes to
standard output; a full disk is said in words and keeps the old file.

Devices are made in a private mount namespace of the test's own, over a memory /dev, never on
the machine's /dev; the test is skipped (77) where it may not make one.

    export_targets_test.py PROGRAM
"""
import os
import shutil
import socket
import stat
import subprocess
import sys
import tempfile

SKIP = 77
OPTIONS = ("--journal-csv", "--debrief-html")


def run(exe, home, *args):
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"), QT_QPA_PLATFORM="offscreen")
    return subprocess.run([exe, *args], capture_output=True, text=True, env=env, timeout=30)


def make_journal(home):
    """An empty database where the journal is kept: it exports as a header and nothing more."""
    import sqlite3
    folder = os.path.join(home, "data", "Orvane", "Orvane")
    os.makedirs(folder)
    sqlite3.connect(os.path.join(folder, "journal.sqlite")).close()


def kind_of(path):
    mode = os.lstat(path).st_mode
    for test, name in ((stat.S_ISCHR, "device"), (stat.S_ISFIFO, "pipe"),
                       (stat.S_ISSOCK, "socket"), (stat.S_ISDIR, "folder"),
                       (stat.S_ISREG, "file")):
        if test(mode):
            return name
    return "other"


def refused_targets(exe, home):
    os.mknod("/dev/null", 0o666 | stat.S_IFCHR, os.makedev(1, 3))
    os.mknod("/dev/full", 0o666 | stat.S_IFCHR, os.makedev(1, 7))
    os.mkfifo("/dev/pipe")
    listener = socket.socket(socket.AF_UNIX)
    listener.bind("/dev/sock")
    os.mkdir("/dev/folder")
    os.symlink("/dev/pipe", "/dev/link-to-pipe")
    before = sorted(os.listdir("/dev"))
    cases = [("/dev/null", "device"), ("/dev/full", "device"), ("/dev/pipe", "pipe"),
             ("/dev/sock", "socket"), ("/dev/folder", "folder"), ("/dev/link-to-pipe", "pipe")]
    for option in OPTIONS:
        for target, kind in cases:
            done = run(exe, home, option, target)
            assert done.returncode == 1, (option, target, done.returncode, done.stderr)
            said = "cannot write %s: it is a %s, not a file" % (target, kind)
            assert said in done.stderr, (said, done.stderr)
            assert ("give - to write to standard output" in done.stderr) == (kind == "pipe"), \
                done.stderr
            assert done.stdout == "", done.stdout
            assert kind_of(target if kind != "pipe" else "/dev/pipe") == kind
        assert sorted(os.listdir("/dev")) == before, "nothing is left beside them"
    listener.close()


def standard_output(exe, home):
    csv = run(exe, home, "--journal-csv", "-")
    assert csv.returncode == 0, csv.stderr
    assert csv.stdout.startswith("run,record,kind,"), csv.stdout[:200]
    html = run(exe, home, "--debrief-html", "-", "--all")
    assert html.returncode == 0, html.stderr
    assert html.stdout.lstrip().lower().startswith("<!doctype html>"), html.stdout[:200]
    assert not os.path.exists(os.path.join(home, "-")), "no file named - is made"


def full_disk(exe, home):
    disk = os.path.join(home, "disk")
    os.mkdir(disk)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", disk], check=True)
    old = os.path.join(disk, "journal.csv")
    with open(old, "w") as f:
        f.write("the old export\n")
    filler = open(os.path.join(disk, "filler"), "wb", buffering=0)
    try:
        while True:
            filler.write(b"x" * 4096)
    except OSError:
        pass
    filler.close()
    for option in OPTIONS:
        done = run(exe, home, option, old)
        assert done.returncode == 1, done.stderr
        assert "cannot write %s: No space left on device" % old in done.stderr, done.stderr
        assert "Unknown error" not in done.stderr
        with open(old) as f:
            assert f.read() == "the old export\n"
        assert sorted(os.listdir(disk)) == ["filler", "journal.csv"], os.listdir(disk)
    subprocess.run(["umount", disk], check=True)


def inside(exe):
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/dev"], check=True)
    home = tempfile.mkdtemp(prefix="orvane-export-")
    try:
        make_journal(home)
        refused_targets(exe, home)
        standard_output(exe, home)
        full_disk(exe, home)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    print("every export target checked")


def main():
    exe = os.path.abspath(sys.argv[-1])
    if sys.argv[1] == "--inside":
        inside(exe)
        return 0
    probe = subprocess.run(["unshare", "-m", "true"], capture_output=True)
    if os.geteuid() != 0 or probe.returncode != 0:
        print("skipped: no private mount namespace may be made here")
        return SKIP
    return subprocess.run(["unshare", "-m", sys.executable, os.path.abspath(__file__),
                           "--inside", exe]).returncode


if __name__ == "__main__":
    sys.exit(main())
