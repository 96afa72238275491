#!/usr/bin/python3
"""The real program's journal keeps true instants to the millisecond, rising through a
simulated mission time and its restore, with the program's clock beside them while the two
differ; the start names its launch data file, and the debrief's size warning is kept in the one
settings file.

The simulated time runs on the program's own clock (--own-clock): the machine's clock is never
touched.

    journal_times_test.py PROGRAM
"""
import os
import sqlite3
import sys

from journal_program import Program, wait_for


def records(path):
    db = sqlite3.connect(path)
    try:
        return db.execute("SELECT kind, true_ms, program_ms, launch_file FROM record ORDER BY id"
                          ).fetchall()
    finally:
        db.close()


def main(exe):
    program = Program(exe, args=["--own-clock"])
    try:
        program.arm_holds()
        for item in ("mnuTminus30Sec", "cmdHoldResume", "cmdHoldResume", "mnuRestoreTime",
                     "cmdHoldResume", "cmdHoldResume"):
            program.drive("click frmOrvane." + item)
        program.drive("click frmOrvane.mnuDebrief")
        program.drive("set frmDebrief.txtSizeLimit.Text 123")
        wait_for("the records", lambda: len(program.journal) >= 7)
        program.stop()
        kept = records(program.journal_path)
        kinds = [k for k, *_ in kept]
        assert kinds[0] == "start" and kinds[-1] == "exit", kinds
        assert "sim-time" in kinds and "sim-restored" in kinds, kinds
        true_ms = [t for _, t, _, _ in kept]
        assert true_ms == sorted(true_ms), true_ms
        assert any(t % 1000 for t in true_ms), "true times are kept to the millisecond"
        sim, restored = kinds.index("sim-time"), kinds.index("sim-restored")
        for kind, true, prog, _ in kept[sim:restored]:
            assert prog is not None, (kind, true)
            assert abs(prog - true) > 60000, (kind, true, prog)  # T - 30 s, an hour out
        for kind, _, prog, _ in kept[:sim] + kept[restored + 1:]:
            assert prog is None, kind
        start_file = kept[0][3]
        assert start_file.endswith("launch.ovx"), start_file
        config = os.path.join(program.home, "config", "Orvane")
        with open(os.path.join(config, "orvane.ini")) as f:
            assert "Size%20Warning%20MB=123" in f.read()
        assert not os.path.exists(os.path.join(config, "Orvane.ini")), os.listdir(config)
        print("%d records, true times rising to the millisecond" % len(kept))
    finally:
        program.remove()


if __name__ == "__main__":
    main(sys.argv[1])
