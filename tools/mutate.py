#!/usr/bin/env python3
"""Mutation run: how many small faults planted in the window logic do the tests catch?

Picks seeded random operator and constant changes in the window logic's sources (by default
src/clock, src/events, src/wizard, src/data, src/shell, src/simtime, src/remote and
src/qt/remote), and for each one, in a scratch copy of the tree (the tree you run it from is
never touched): applies it, rebuilds incrementally with ccache, runs the unit tests, the
scenario stories and the remote server's tests and attacks (no browser, no journey), and puts the file back.

Each mutant ends as one of:
  caught        a test failed (or timed out: a mutant that hangs a test is caught too)
  survived      every test passed: a fault the tests miss, or a change that is harmless
  no-compile    the change does not build
  equivalent    the change builds to the very same machine code as the original

The score is caught / (caught + survived). The report lists every mutant, survivors first,
each with its file:line, the change and the line as changed.

Usage:
  tools/mutate.py [--seed N] [--count N] [--scratch DIR] [--report FILE] [--jobs N]
                  [--build-timeout S] [--test-timeout S] [--with-qt] [--list] [PATH...]

  PATH...           folders or files to mutate, relative to the tree (default: the list above)
  --seed N          seed of the random choice of mutants (default 1); the same seed on the
                    same tree gives the same mutants
  --count N         how many mutants to try (default 100)
  --scratch DIR     where the scratch copy and its build live (default /tmp/orvane-mutate);
                    kept between runs, so a second run builds only what changed
  --report FILE     the report (default mutation-report.txt in the current folder)
  --jobs N          build jobs (default 2)
  --build-timeout S seconds one mutant's build may take (default 900)
  --test-timeout S  seconds one mutant's tests may take, in all (default 600)
  --with-qt         also run the Qt binding's tests (offscreen)
  --list            only list the mutants that would be tried, and build nothing

Examples:
  tools/mutate.py --count 10                 # a quick trial
  tools/mutate.py --seed 7 --count 120       # a full run, about one to three minutes a mutant
  tools/mutate.py --count 20 src/events      # only the event board
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

DEFAULT_PATHS = ["src/model", "src/clock", "src/events", "src/wizard", "src/data", "src/shell",
                 "src/simtime", "src/remote", "src/qt/remote"]

# Folders whose code the real program's tests of a label meet, run for a mutant there once the
# quicker tests left it alive.
FOLDER_LABELS = [("src/journal/", "journal"), ("src/follow/", "mqtt"), ("src/mqtt/", "mqtt")]

# Operator swaps. Comparison and arithmetic operators are changed only where they stand
# between blanks, as the formatted sources write every binary operator: a template's angle
# brackets, an include's, a pointer's arrow and a unary minus are left alone.
OPERATORS = [
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" == ", " != "), (" != ", " == "),
    (" + ", " - "), (" - ", " + "), (" * ", " / "),
    (" && ", " || "), (" || ", " && "),
]
WORDS = [("true", "false"), ("false", "true")]
NUMBER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")


def blank_out_comments_and_strings(text):
    """The text with comments, string and character literals turned into blanks, keeping
    every other character where it was, so that no mutant lands inside them."""
    out = list(text)
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out[i:j] = " " * (j - i)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out[i:j] = [ch if ch == "\n" else " " for ch in text[i:j]]
            i = j
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i)
            j = n if end < 0 else end + len(m.group(1)) + 2
            out[i:j] = [ch if ch == "\n" else " " for ch in text[i:j]]
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                i += 1  # a digit separator, as in 60'000
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out[i:j] = " " * (j - i)
            i = j
        else:
            i += 1
    return "".join(out)


def sites(root, rel):
    """Every place in one file where a mutant can go: (rel, line number, column, old, new)."""
    with open(os.path.join(root, rel), encoding="utf-8") as f:
        text = f.read()
    code = blank_out_comments_and_strings(text)
    found = []
    for lineno, line in enumerate(code.split("\n"), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#") or stripped.startswith("static_assert"):
            continue
        for old, new in OPERATORS:
            start = 0
            while True:
                col = line.find(old, start)
                if col < 0:
                    break
                # "a - b" but not "x = -b" or "return -1": a binary minus follows a value.
                before = line[:col].rstrip()
                if old in (" - ", " + ", " * ") and (not before or before[-1] in "=(,<>!&|?:+-*/%[{"
                                                     or before.endswith("return")):
                    start = col + 1
                    continue
                found.append((rel, lineno, col, old, new))
                start = col + 1
        for old, new in WORDS:
            for m in re.finditer(r"\b%s\b" % old, line):
                found.append((rel, lineno, m.start(), old, new))
        for m in NUMBER.finditer(line):
            value = int(m.group(1))
            found.append((rel, lineno, m.start(), m.group(1), str(value + 1)))
            if value > 0:
                found.append((rel, lineno, m.start(), m.group(1), str(value - 1)))
    return found


def source_files(root, paths):
    files = []
    for p in paths:
        full = os.path.join(root, p)
        if os.path.isfile(full):
            files.append(p)
            continue
        for dirpath, _, names in os.walk(full):
            for name in sorted(names):
                if name.endswith((".cpp", ".h")):
                    files.append(os.path.relpath(os.path.join(dirpath, name), root))
    return sorted(set(files))


def apply(text_lines, site):
    rel, lineno, col, old, new = site
    line = text_lines[lineno - 1]
    assert line[col:col + len(old)] == old, (site, line)
    return line[:col] + new + line[col + len(old):]


def run(cmd, cwd, timeout, env=None, log=None):
    """Runs a command in a process group of its own; returns its status, or None when it
    outlived the timeout (the whole group is ended then)."""
    with open(log or os.devnull, "ab") as out:
        p = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=out, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            return None


def copy_tree(src, dst):
    """The tracked files of the tree as they stand now, copied where they differ."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            cwd=src, check=True, stdout=subprocess.PIPE).stdout
    for rel in filter(None, listed.decode().split("\0")):
        s, d = os.path.join(src, rel), os.path.join(dst, rel)
        if not os.path.isfile(s):
            continue
        if os.path.isfile(d):
            with open(s, "rb") as a, open(d, "rb") as b:
                if a.read() == b.read():
                    continue
        os.makedirs(os.path.dirname(d), exist_ok=True)
        shutil.copy2(s, d)


def objects_digest(build):
    """One digest of every object file of the program's libraries."""
    h = hashlib.sha256()
    top = os.path.join(build, "src")
    for dirpath, _, names in sorted(os.walk(top)):
        for name in sorted(names):
            if name.endswith(".o"):
                with open(os.path.join(dirpath, name), "rb") as f:
                    h.update(name.encode() + f.read())
    return h.hexdigest()


class Runner:
    def __init__(self, args, root):
        self.args = args
        self.root = root
        self.scratch = os.path.abspath(args.scratch)
        self.tree = os.path.join(self.scratch, "tree")
        self.build = os.path.join(self.scratch, "build")
        self.log = os.path.join(self.scratch, "last.log")
        self.env = dict(os.environ)
        self.env.setdefault("CCACHE_DIR", os.path.join(os.path.dirname(root), ".ccache"))
        self.env["CCACHE_BASEDIR"] = self.scratch
        self.env["QT_QPA_PLATFORM"] = "offscreen"
        # Built for every mutant: the unit tests and the scenario runner. The real program
        # (which the remote server test drives) and the Qt tests follow only for a mutant
        # those left alive, or for one in the Qt binding, which nothing else compiles.
        self.quick_targets = ["orvane_tests", "orvane_script_tests", "orvane-script"]
        self.slow_targets = ["orvane"] + (["orvane_qt_tests"] if args.with_qt else [])
        self.targets = self.quick_targets + self.slow_targets

    def prepare(self):
        os.makedirs(self.tree, exist_ok=True)
        copy_tree(self.root, self.tree)
        # Optimised as the tested build is, but without debug information: two builds of the
        # same code are then the same bytes, which is how an equivalent mutant is told.
        # Warnings are not errors here, so a mutant that only draws a warning is still tried.
        status = run(["cmake", "-S", self.tree, "-B", self.build,
                      "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG", "-DORVANE_WERROR=OFF",
                      # lld links the test programs several times faster than ld.bfd, and
                      # each mutant relinks them.
                      "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld",
                      "-DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld",
                      "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], self.tree, 600, self.env, self.log)
        if status != 0:
            sys.exit("mutate: cmake failed; see " + self.log)
        # The first build of a fresh scratch folder builds everything: it has hours, not the
        # bound of one mutant's build.
        status = self.build_all(timeout=4 * 3600)
        if status != 0:
            sys.exit("mutate: the unchanged tree %s; see %s"
                     % ("took too long to build" if status is None else "does not build",
                        self.log))
        self.baseline = objects_digest(self.build)
        verdict = self.test()
        if verdict != "passed":
            sys.exit("mutate: the unchanged tree does not pass its tests (%s); see %s"
                     % (verdict, self.log))

    def build_all(self, timeout=None, targets=None):
        return run(["cmake", "--build", self.build, "-j%d" % self.args.jobs, "--target"]
                   + (targets or self.targets), self.tree, timeout or self.args.build_timeout,
                   self.env, self.log)

    def test(self, quick=True, slow=True, rel=""):
        """'passed', 'failed' or 'timed out'. REL, the mutated file, adds the tests of the real
        program that its folder's code meets: the journal's for the journal, the MQTT ones for
        the leader and followers."""
        deadline = time.monotonic() + self.args.test_timeout
        quick_steps = [
            [os.path.join(self.build, "tests", "orvane_tests"), "--gtest_brief=1",
             "--gtest_fail_fast"],
            [os.path.join(self.build, "tests", "tools", "orvane_script_tests"),
             "--gtest_brief=1", "--gtest_fail_fast"],
            ["ctest", "--test-dir", self.build, "-L", "scenario", "--stop-on-failure",
             "-j%d" % self.args.jobs],
        ]
        slow_steps = [
            # The remote tests that need no browser: the server's, and the attacks on it.
            ["ctest", "--test-dir", self.build, "-R", r"^remote\.(server|attack\..*)$",
             "--stop-on-failure", "-j%d" % self.args.jobs],
        ]
        for folder, label in FOLDER_LABELS:
            if rel.startswith(folder):
                slow_steps.append(["ctest", "--test-dir", self.build, "-L", label,
                                   "--stop-on-failure", "-j%d" % self.args.jobs])
        if self.args.with_qt:
            slow_steps.append([os.path.join(self.build, "tests", "qt", "orvane_qt_tests"),
                          "--gtest_brief=1", "--gtest_fail_fast"])
        for cmd in (quick_steps if quick else []) + (slow_steps if slow else []):
            left = deadline - time.monotonic()
            if left <= 0:
                return "timed out"
            status = run(cmd, self.build, left, self.env, self.log)
            if status is None:
                return "timed out"
            if status != 0:
                return "failed"
        return "passed"

    def try_mutant(self, site):
        rel = site[0]
        path = os.path.join(self.tree, rel)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        changed = apply(lines, site)
        lines[site[1] - 1] = changed
        open(self.log, "w").close()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            in_qt = rel.startswith("src/qt/")
            status = self.build_all(targets=self.targets if in_qt else self.quick_targets)
            if status is None:
                return "no-compile", "the build timed out", changed
            if status != 0:
                return "no-compile", "", changed
            if objects_digest(self.build) == self.baseline:
                return "equivalent", "same object code", changed
            verdict = self.test(quick=True, slow=in_qt, rel=rel)
            if verdict == "passed" and not in_qt:
                status = self.build_all(targets=self.slow_targets)
                if status != 0:
                    return "no-compile", "the real program does not build", changed
                verdict = self.test(quick=False, slow=True, rel=rel)
            if verdict == "passed":
                return "survived", "", changed
            return "caught", verdict, changed
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)


def main():
    parser = argparse.ArgumentParser(usage=argparse.SUPPRESS, description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     add_help=False)
    parser.add_argument("-h", "--help", action="help", help=argparse.SUPPRESS)
    parser.add_argument("paths", nargs="*", metavar="PATH", help=argparse.SUPPRESS)
    parser.add_argument("--seed", type=int, default=1, help=argparse.SUPPRESS)
    parser.add_argument("--count", type=int, default=100, help=argparse.SUPPRESS)
    parser.add_argument("--scratch", default="/tmp/orvane-mutate", help=argparse.SUPPRESS)
    parser.add_argument("--report", default="mutation-report.txt", help=argparse.SUPPRESS)
    parser.add_argument("--jobs", type=int, default=2, help=argparse.SUPPRESS)
    parser.add_argument("--build-timeout", type=float, default=900, help=argparse.SUPPRESS)
    parser.add_argument("--test-timeout", type=float, default=600, help=argparse.SUPPRESS)
    parser.add_argument("--with-qt", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--list", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()

    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], check=True,
                          stdout=subprocess.PIPE, cwd=os.path.dirname(os.path.abspath(__file__))
                          ).stdout.decode().strip()
    paths = args.paths or DEFAULT_PATHS
    candidates = [s for rel in source_files(root, paths) for s in sites(root, rel)]
    chosen = random.Random(args.seed).sample(candidates, min(args.count, len(candidates)))

    def label(site):
        rel, lineno, _, old, new = site
        return "%s:%d  %r -> %r" % (rel, lineno, old.strip(), new.strip())

    if args.list:
        print("%d places to mutate; seed %d picks:" % (len(candidates), args.seed))
        for site in chosen:
            print("  " + label(site))
        return 0

    runner = Runner(args, root)
    print("mutate: %d places in %s; trying %d (seed %d), scratch %s"
          % (len(candidates), " ".join(paths), len(chosen), args.seed, runner.scratch),
          flush=True)
    started = time.monotonic()
    runner.prepare()
    print("mutate: the unchanged tree builds and passes (%.0f s)" % (time.monotonic() - started),
          flush=True)

    results = []
    for i, site in enumerate(chosen, 1):
        t0 = time.monotonic()
        outcome, detail, changed = runner.try_mutant(site)
        results.append((site, outcome, detail, changed.strip()))
        print("[%d/%d] %-10s %s  (%.0f s)" % (i, len(chosen), outcome, label(site),
                                             time.monotonic() - t0), flush=True)
    # The last mutant's file is back as it was: build it once more so the scratch build
    # matches the tree for the next run.
    runner.build_all(timeout=4 * 3600)

    counts = {k: sum(1 for r in results if r[1] == k)
              for k in ("caught", "survived", "no-compile", "equivalent")}
    scored = counts["caught"] + counts["survived"]
    score = 100.0 * counts["caught"] / scored if scored else 0.0
    order = {"survived": 0, "caught": 1, "equivalent": 2, "no-compile": 3}
    with open(args.report, "w", encoding="utf-8") as out:
        out.write("Mutation run: seed %d, %d mutants of %d places, in %s\n"
                  % (args.seed, len(chosen), len(candidates), " ".join(paths)))
        out.write("caught %(caught)d, survived %(survived)d, no-compile %(no-compile)d, "
                  "equivalent %(equivalent)d\n" % counts)
        out.write("score: %.1f %% of the mutants that build and change the code are caught\n"
                  % score)
        out.write("time: %.0f s\n\n" % (time.monotonic() - started))
        for site, outcome, detail, changed in sorted(results, key=lambda r: order[r[1]]):
            out.write("%-10s %s%s\n           %s\n" % (outcome, label(site),
                                                       "  (" + detail + ")" if detail else "",
                                                       changed))
    print("mutate: caught %(caught)d, survived %(survived)d, no-compile %(no-compile)d, "
          "equivalent %(equivalent)d" % counts)
    print("mutate: score %.1f %%; report in %s" % (score, args.report))
    for site, outcome, _, changed in results:
        if outcome == "survived":
            print("  survived: %s\n            %s" % (label(site), changed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
