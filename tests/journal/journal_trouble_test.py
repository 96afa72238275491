#!/usr/bin/python3
"""A journal that cannot be written: under a regular file (tests run as root, so file modes
stop nothing), and full (its pages capped as a full disk would). Either is told once, nothing
counts as recorded that is not, and the program goes on taking input and counting.

    journal_trouble_test.py PROGRAM
"""
import os
import sys
import tempfile

from journal_program import Program, journal_lines, wait_for


def holds_and_resumes(program, n):
    for _ in range(n):
        program.drive("click frmOrvane.cmdHoldResume")


def under_a_regular_file(exe):
    fd, home_file = tempfile.mkstemp(prefix="orvane-journal-file-")
    os.write(fd, b"a file where a folder should be\n")
    os.close(fd)
    program = Program(exe, data_home=os.path.join(home_file, "data"))
    try:
        program.arm_holds()
        holds_and_resumes(program, 10)
        wait_for("the journal's trouble on standard error",
                 lambda: any("cannot be kept at" in l for l in program.stderr))
        program.stop()
        told = [l for l in program.stderr if "cannot be kept at" in l]
        assert len(told) == 1, told
        assert program.journal == [], program.journal
        # The end waits a bounded time for the journal, then says what never went in.
        lost = [l for l in program.stderr if "could not be written before the program ended" in l]
        assert len(lost) == 1, program.stderr
        # The start, the ten holds and resumes, the exit, and what else was recorded.
        assert int(lost[0].split()[1]) >= 12, lost[0]
    finally:
        program.remove()
        os.remove(home_file)


def full(exe):
    program = Program(exe, env={"ORVANE_JOURNAL_MAX_PAGES": "6"})
    try:
        program.arm_holds()
        wait_for("the journal to fill up", lambda: (holds_and_resumes(program, 20) or
                                                    any("full" in l for l in program.stderr)),
                 timeout=60)
        printed_when_full = len(program.journal)
        # The program still answers and the hold still turns.
        holds_and_resumes(program, 4)
        program.stop()
        told = [l for l in program.stderr if "cannot be written" in l]
        assert len(told) == 1, told
        assert "database or disk is full" in told[0], told[0]
        stored, check = journal_lines(program.journal_path)
        assert check == "ok", check
        assert stored == program.journal, (len(stored), len(program.journal))
        assert len(program.journal) == printed_when_full
        print("the full journal holds %d records" % len(stored))
    finally:
        program.remove()


def main():
    under_a_regular_file(sys.argv[1])
    full(sys.argv[1])


if __name__ == "__main__":
    main()
