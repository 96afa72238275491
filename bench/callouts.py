#!/usr/bin/python3
"""The callouts' onset benchmark (bench/run runs it last): how far from its second each cue of
the final count (T minus ten ... liftoff) is heard.

A private pulseaudio with a null sink "cues" is started here in a folder of its own, as the
sound test starts one; orvane-monitor-record records the sink's monitor with the stream's own
timing; the program (offscreen, driven through its standard input) is given a launch 13 s
ahead, COUNTDOWNS times one after the other, and says the final count of each.

Each cue's onset is its first sample at the monitor: the first sound after at least 5 ms of
silence (the sink is digital silence between cues) within 150 ms before and 400 ms after its
second, the program saying no cue later than that. Its time on the wall clock is the
recording's start plus its sample's place. The recording's start comes from the monitor
stream's own timing: after every 5 ms read the recorder notes the wall clock, the samples read
and the stream's latency as the server reports it, and each read places the first sample at
(time - latency - samples / rate); the median of all reads is taken. How well that holds is
printed beside the figures: the spread of the reads' placings about the median (p1 and p99),
and the earliest start the reads allow with no latency at all (a sample cannot be read
before it reached the source): the start must lie at or before it.

The onset error is the onset's time minus the whole second the cue belongs to. Target: p99 of
its size <= 20 ms over 300 cues or more; with fewer, the max stands in for the p99. Every cue
must be found.

    bench/callouts.py PROGRAM RECORDER COUNTDOWNS
Exits 0 when the target passed, 1 otherwise, 77 when pulseaudio is not installed.
ORVANE_BENCH_VERBOSE=1 also prints every cue's error.
"""
import array
import math
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

RATE = 22050
CUES = ["T minus ten", "nine", "eight", "seven", "six", "five", "four", "three", "two", "one",
        "liftoff"]
LEAD_SECONDS = 13         # the launch, from when it is set: T-10 is said 3 s later
TARGET_P99_MS = 20.0
MIN_SAMPLES_FOR_P99 = 300
SILENCE_SAMPLES = RATE // 200  # 5 ms
BEFORE_MS = 150
AFTER_MS = 400


def wait_for(condition, timeout, what):
    end = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > end:
            raise RuntimeError("gave up waiting for " + what)
        time.sleep(0.05)


def stop(proc, sig=signal.SIGTERM):
    if proc and proc.poll() is None:
        proc.send_signal(sig)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def rank(values, share):
    values = sorted(values)
    return values[min(len(values), max(1, math.ceil(share * len(values)))) - 1]


class Driven:
    """The program, given input lines on its standard input and answering each."""

    def __init__(self, exe, env, home):
        self.proc = subprocess.Popen(
            [exe, "--no-splash"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=open(os.path.join(home, "orvane.err"), "w"), text=True, bufsize=1, cwd=home,
            env=env)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def drive(self, line, timeout=10):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic()
            if left <= 0:
                raise RuntimeError("the program did not answer " + line)
            try:
                answer = self.lines.get(timeout=left)
            except queue.Empty:
                continue
            if answer is None:
                raise RuntimeError("the program ended early (status %s)" % self.proc.poll())
            if answer == "done " + line:
                return
            if answer.startswith("error " + line):
                raise RuntimeError(answer)

    def end(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write("end\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=15)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()


def recording_start(times_file):
    """The recording's first sample on the wall clock, in ns, from the stream's own timing:
    (the median placing, its p1 and p99 about it in ms, the earliest start the reads allow
    with no latency, in ms after the median, and the number of reads)."""
    placings, bounds = [], []
    with open(times_file) as f:
        for line in f:
            parts = line.split()
            if len(parts) != 3:
                continue
            ns, samples, latency_us = int(parts[0]), int(parts[1]), int(parts[2])
            read_ns = ns - samples * 1_000_000_000 // RATE
            bounds.append(read_ns)
            placings.append(read_ns - latency_us * 1000)
    if not placings:
        raise RuntimeError("the recorder noted no timing")
    start = rank(placings, 0.5)
    return (start, (rank(placings, 0.01) - start) / 1e6, (rank(placings, 0.99) - start) / 1e6,
            (min(bounds) - start) / 1e6, len(placings))


def onset(samples, expected):
    """The first sound after 5 ms of silence in the window about sample EXPECTED, or None."""
    lo = max(SILENCE_SAMPLES, int(expected - BEFORE_MS * RATE / 1000))
    hi = min(len(samples), int(expected + AFTER_MS * RATE / 1000))
    zeros = 0
    for j in range(lo - SILENCE_SAMPLES, hi):
        if samples[j] == 0:
            zeros += 1
            continue
        if zeros >= SILENCE_SAMPLES and j >= lo:
            return j
        zeros = 0
    return None


def main():
    exe, recorder, countdowns = (os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
                                 int(sys.argv[3]))
    if not shutil.which("pulseaudio"):
        print("SKIP  callouts' onset: pulseaudio is not installed")
        return 77
    home = tempfile.mkdtemp(prefix="orvane-callouts-")
    server = record = program = None
    launches = []
    try:
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home,
                   XDG_CONFIG_HOME=os.path.join(home, "config"), TZ="UTC")
        env.pop("PULSE_SERVER", None)
        env.pop("ORVANE_BENCH_TRACE", None)
        env.pop("ORVANE_BENCH_SCENE", None)
        os.makedirs(env["XDG_CONFIG_HOME"])
        socket_path = os.path.join(home, "native")
        server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "--load=module-native-protocol-unix socket=%s auth-anonymous=1" % socket_path,
             "--load=module-null-sink sink_name=cues rate=%d channels=1" % RATE],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(socket_path) or server.poll() is not None, 20,
                 "the sound server")
        if server.poll() is not None:
            raise RuntimeError("pulseaudio ended at once")
        env["PULSE_SERVER"] = "unix:" + socket_path

        raw, times = os.path.join(home, "monitor.raw"), os.path.join(home, "monitor.times")
        record = subprocess.Popen([recorder, "cues.monitor", str(RATE), raw, times], env=env)
        wait_for(lambda: os.path.exists(times) and os.path.getsize(times) > 0, 20,
                 "the recording to start")

        program = Driven(exe, dict(env, QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1",
                                   ORVANE_INSTANCE_NAME="orvane-callouts-%d" % os.getpid()),
                         home)
        for n in range(countdowns):
            # Set a third into a second, so that the launch's second is the one meant.
            time.sleep((1.3 - time.time() % 1.0) % 1.0)
            launch = int(time.time()) + LEAD_SECONDS
            caption = time.strftime("%B %d, %Y   %I:%M:%S %p", time.gmtime(launch))
            caption = caption.replace("   0", "   ", 1)
            program.drive("set frmOrvane.lblTarget.Caption " + caption)
            launches.append(launch)
            sys.stderr.write("orvane-bench: callouts, countdown %d of %d ...\n"
                             % (n + 1, countdowns))
            time.sleep(max(0.0, launch + 1.5 - time.time()))
        program.end()
        stop(record, signal.SIGINT)
    except RuntimeError as e:
        print("FAIL  callouts' onset: %s" % e)
        return 1
    finally:
        if program:
            program.end()
        stop(record, signal.SIGINT)
        stop(server)

    try:
        start, p1, p99, earliest, reads = recording_start(times)
        samples = array.array("h")
        with open(raw, "rb") as f:
            samples.frombytes(f.read())
        if sys.byteorder != "little":
            samples.byteswap()
    except (OSError, RuntimeError) as e:
        print("FAIL  callouts' onset: %s" % e)
        return 1
    finally:
        if not os.environ.get("ORVANE_BENCH_KEEP"):
            shutil.rmtree(home, ignore_errors=True)

    errors, missing = [], []
    for launch in launches:
        for i, cue in enumerate(CUES):
            second = launch - 10 + i
            expected = (second * 1_000_000_000 - start) * RATE / 1e9
            at = onset(samples, expected)
            if at is None:
                missing.append("%s of T%+d s" % (cue, second - launch))
                continue
            error_ms = (start + at * 1e9 / RATE - second * 1e9) / 1e6
            errors.append(error_ms)
            if os.environ.get("ORVANE_BENCH_VERBOSE"):
                print("  %-12s %+8.2f ms" % (cue, error_ms))

    print("\nCallouts' onset, %d countdowns from T-10 to liftoff (a private pulseaudio's null "
          "sink, its monitor recorded):" % len(launches))
    sizes = [abs(e) for e in errors]
    if sizes:
        print("  %-44s %s" % ("onset error p50 / p99 / max, ms", "%.2f %s %.2f" % (
            rank(sizes, 0.5),
            "%.2f" % rank(sizes, 0.99) if len(sizes) >= MIN_SAMPLES_FOR_P99 else "-",
            max(sizes))))
        print("  %-44s %.2f / %.2f / %.2f" % ("  signed: min / median / max, ms", min(errors),
                                               rank(errors, 0.5), max(errors)))
    print("  %-44s %d found, %d missing" % ("cues", len(errors), len(missing)))
    print("  %-44s %d reads: p1 %+.2f, p99 %+.2f ms" % (
        "recording's start from the stream's timing", reads, p1, p99))
    print("  %-44s %+.2f ms after the median" % ("  earliest start with no latency at all",
                                                 earliest))
    print("  (p99 shows as - over fewer than %d cues: the max stands in for it)"
          % MIN_SAMPLES_FOR_P99)
    if missing:
        print("  missing: " + ", ".join(missing[:12]) + (" ..." if len(missing) > 12 else ""))
    print()

    if not sizes:
        print("FAIL  callouts' onset: no cue was heard")
        return 1
    if len(sizes) >= MIN_SAMPLES_FOR_P99:
        held, what = rank(sizes, 0.99), "p99"
    else:
        held, what = max(sizes), "no p99 under %d cues: max" % MIN_SAMPLES_FOR_P99
    ok = held <= TARGET_P99_MS and not missing
    print("%s  callouts' onset from the second, final count: %s %.2f ms <= %.2f ms (%d cues, "
          "%d missing)" % ("PASS" if ok else "FAIL", what, held, TARGET_P99_MS, len(sizes),
                           len(missing)))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
