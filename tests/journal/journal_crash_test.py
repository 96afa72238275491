#!/usr/bin/python3
"""kill -9 in the middle of a run of many happenings: every record whose journal line the
program printed is in the journal afterwards, and the journal is sound.

    journal_crash_test.py PROGRAM
"""
import os
import signal
import sys

from journal_program import Program, journal_lines, wait_for


def main():
    program = Program(sys.argv[1])
    try:
        wait_for("the start to be recorded",
                 lambda: any(l.startswith("journal start ") for l in program.journal))
        program.arm_holds()
        # Holds and resumes as fast as the program takes them, without waiting for answers.
        for _ in range(400):
            program.send("click frmOrvane.cmdHoldResume")
        wait_for("a hundred holds and resumes recorded",
                 lambda: sum(l.startswith(("journal hold ", "journal resume "))
                             for l in program.journal) >= 100)
        os.kill(program.proc.pid, signal.SIGKILL)
        program.proc.wait()
        printed = list(program.journal)
        stored, check = journal_lines(program.journal_path)
        assert check == "ok", check
        assert len(stored) >= len(printed), (len(stored), len(printed))
        assert stored[:len(printed)] == printed, next(
            (p, s) for p, s in zip(printed, stored) if p != s)
        print("printed %d records before the kill; the journal holds %d" %
              (len(printed), len(stored)))
    finally:
        program.remove()


if __name__ == "__main__":
    main()
