#!/usr/bin/python3
"""The callouts' onset benchmark (bench/run runs it last): how far from its second each cue of
the final count (T minus ten ... liftoff) is heard.

A private pulseaudio with a null sink "cues" is started here in a folder of its own, as the
sound test starts one; orvane-monitor-record records the sink's monitor with the stream's own
timing; the probed program (offscreen, ORVANE_BENCH_SCENE=countdowns) sets itself a launch
23 s ahead every 25 s, as Set Launch Time does, and says eleven of the team's own callouts
("go" at each second from T-21 to T-11) and the final count of each, COUNTDOWNS times.

Each cue's onset is its first sample at the monitor: the first sound after at least 5 ms of
silence (the sink is digital silence between cues) within 150 ms before and 400 ms after its
second, the program saying no cue later than that. Its time on the wall clock comes from the
monitor stream's own timing: after every 5 ms read the recorder notes the wall clock, the
samples read so far and the stream's latency as the server reports it, and each read places
the sample it reached at (time - latency). A straight line through those placings (least
squares through the medians of each twentieth of the reads, the first second's left out)
gives every sample's time, so that the sound server's clock may run a little off the wall
clock's. How well that holds is printed beside the figures: the placings' spread about the
line (p1, p99), the server's clock's rate against the wall clock's, and how far at most the
line places a sample after a read already had it (the null sink renders ahead of its own
clock and hands its monitor each sample as it renders it, so the stream's timing, which
follows the sink's clock, may place a sample after it was read).

The onset error is the onset's time minus the whole second the cue belongs to. Target: p99 of
its size <= 20 ms over 300 cues or more; with fewer, the max stands in for the p99. Every cue
must be found. The same holds apart for the team's own callouts, "go" at each second from
T-21 to T-11 before each final count (the probe adds them as the Callouts dialog would): with
28 countdowns, 308 of each kind.

    bench/callouts.py PROGRAM RECORDER COUNTDOWNS
Exits 0 when the target passed, 1 otherwise, 77 when pulseaudio is not installed.
ORVANE_BENCH_VERBOSE=1 also prints every cue's error.
"""
import array
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

RATE = 22050
CUES = ["T minus ten", "nine", "eight", "seven", "six", "five", "four", "three", "two", "one",
        "liftoff"]
# The team's own callouts: their words, and the seconds before the launch they are said at.
ENTRY, ENTRY_SECONDS = "go", range(11, 22)
# The probe sets a launch this often.
PERIOD_S = 25
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


def launches_told(trace):
    """The launches the probe set, in Unix seconds, from its "launch NS SECONDS" lines."""
    found = []
    try:
        with open(trace) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and parts[0] == "launch":
                    found.append(int(parts[2]))
    except FileNotFoundError:
        pass
    return found


def recording_clock(times_file):
    """The recording placed on the wall clock by the stream's own timing: each read places
    the sample it reached at (time - latency); the line through those placings (the median
    placing and sample of each twentieth of the reads, fitted by least squares, so that the
    sound server's clock may run a little off the wall clock's) gives each sample's time in ns.
    Returns (the line as a function of the sample, its residuals' p1 and p99 in ms, how far
    the line places a sample after a read already had it at most, in ms, and the reads)."""
    reads = []
    with open(times_file) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3:
                ns, samples, latency_us = int(parts[0]), int(parts[1]), int(parts[2])
                reads.append((samples, ns - latency_us * 1000, ns))
    if len(reads) < 40:
        raise RuntimeError("the recorder noted too few reads")
    # The first second's reads, while the server settles the stream's buffer, are left out.
    settled = [r for r in reads if r[0] > RATE] or reads
    parts = 20
    size = len(settled) // parts
    points = []
    for k in range(parts):
        chunk = settled[k * size:(k + 1) * size]
        points.append((rank([c[0] for c in chunk], 0.5), rank([c[1] for c in chunk], 0.5)))
    mx = sum(x for x, _ in points) / len(points)
    my = sum(y for _, y in points) / len(points)
    slope = (sum((x - mx) * (y - my) for x, y in points) /
             sum((x - mx) ** 2 for x, _ in points))

    def at(sample):
        return my + (sample - mx) * slope

    residuals = [(placed - at(samples)) / 1e6 for samples, placed, _ in settled]
    ahead = max((at(samples) - read) / 1e6 for samples, _, read in settled)
    return at, rank(residuals, 0.01), rank(residuals, 0.99), ahead, len(settled), slope


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
    failure = None
    try:
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home,
                   XDG_CONFIG_HOME=os.path.join(home, "config"))
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

        trace = os.path.join(home, "trace.txt")
        program = subprocess.Popen(
            [exe, "--no-splash"], cwd=home, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(home, "orvane.err"), "w"),
            env=dict(env, QT_QPA_PLATFORM="offscreen", ORVANE_BENCH_TRACE=trace,
                     ORVANE_BENCH_SCENE="countdowns",
                     ORVANE_INSTANCE_NAME="orvane-callouts-%d" % os.getpid()))
        told = 0
        end = time.monotonic() + 30 + countdowns * (PERIOD_S + 1)
        while True:
            if program.poll() is not None:
                raise RuntimeError("the program ended early (status %s)" % program.returncode)
            if time.monotonic() > end:
                raise RuntimeError("the program set %d launches of %d in time" % (told, countdowns))
            launches = launches_told(trace)
            if len(launches) > told:
                told = len(launches)
                sys.stderr.write("orvane-bench: callouts, countdown %d of %d ...\n"
                                 % (min(told, countdowns), countdowns))
            if told >= countdowns and time.time() > launches[countdowns - 1] + 1.5:
                break
            time.sleep(0.5)
        launches = launches[:countdowns]
        stop(program)
        stop(record, signal.SIGINT)
    except RuntimeError as e:
        failure = str(e)
    finally:
        stop(program)
        stop(record, signal.SIGINT)
        stop(server)
    if failure:
        print("FAIL  callouts' onset: %s" % failure)
        if not os.environ.get("ORVANE_BENCH_KEEP"):
            shutil.rmtree(home, ignore_errors=True)
        return 1

    try:
        at, p1, p99, ahead, reads, slope = recording_clock(times)
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
    entry_errors, entry_missing = [], []
    for launch in launches:
        for ahead in ENTRY_SECONDS:
            second = launch - ahead
            sample = onset(samples, (second * 1_000_000_000 - at(0)) / slope)
            if sample is None:
                entry_missing.append("%s of T%+d s" % (ENTRY, -ahead))
            else:
                entry_errors.append((at(sample) - second * 1e9) / 1e6)
        for i, cue in enumerate(CUES):
            second = launch - 10 + i
            expected = (second * 1_000_000_000 - at(0)) / slope
            sample = onset(samples, expected)
            if sample is None:
                missing.append("%s of T%+d s" % (cue, second - launch))
                continue
            error_ms = (at(sample) - second * 1e9) / 1e6
            errors.append(error_ms)
            if os.environ.get("ORVANE_BENCH_VERBOSE"):
                print("  %-12s %+8.2f ms" % (cue, error_ms))

    print("\nCallouts' onset, %d countdowns from T-21 to liftoff (a private pulseaudio's null "
          "sink, its monitor recorded):" % len(launches))
    sizes = [abs(e) for e in errors]
    if sizes:
        print("  %-46s %s" % ("onset error p50 / p99 / max, ms", "%.2f %s %.2f" % (
            rank(sizes, 0.5),
            "%.2f" % rank(sizes, 0.99) if len(sizes) >= MIN_SAMPLES_FOR_P99 else "-",
            max(sizes))))
        print("  %-46s %.2f / %.2f / %.2f" % ("  signed: min / median / max, ms", min(errors),
                                               rank(errors, 0.5), max(errors)))
    print("  %-46s %d found, %d missing" % ("final count's cues", len(errors), len(missing)))
    entry_sizes = [abs(e) for e in entry_errors]
    if entry_sizes:
        print("  %-46s %s" % ("own callouts' onset error p50 / p99 / max, ms",
                              "%.2f %s %.2f" % (
                                  rank(entry_sizes, 0.5),
                                  "%.2f" % rank(entry_sizes, 0.99)
                                  if len(entry_sizes) >= MIN_SAMPLES_FOR_P99 else "-",
                                  max(entry_sizes))))
    print("  %-46s %d found, %d missing" % ("own callouts", len(entry_errors),
                                            len(entry_missing)))
    print("  %-46s %d reads: p1 %+.2f, p99 %+.2f ms about it" % (
        "recording placed by the stream's timing", reads, p1, p99))
    print("  %-46s %.1f ppm" % ("  the server's clock against the wall clock",
                                (slope * RATE / 1e9 - 1) * 1e6))
    print("  %-46s %.2f ms" % ("  placed after a read already had it, at most", ahead))
    print("  (p99 shows as - over fewer than %d cues: the max stands in for it)"
          % MIN_SAMPLES_FOR_P99)
    for lost in (missing, entry_missing):
        if lost:
            print("  missing: " + ", ".join(lost[:12]) + (" ..." if len(lost) > 12 else ""))
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
    if not entry_sizes:
        print("FAIL  callouts' onset from the second, own callout: none was heard")
        return 1
    if len(entry_sizes) >= MIN_SAMPLES_FOR_P99:
        entry_held, entry_what = rank(entry_sizes, 0.99), "p99"
    else:
        entry_held, entry_what = max(entry_sizes), "no p99 under %d cues: max" % MIN_SAMPLES_FOR_P99
    entry_ok = entry_held <= TARGET_P99_MS and not entry_missing
    print("%s  callouts' onset from the second, own callouts \"%s\" at T-%d..T-%d: %s %.2f ms <= "
          "%.2f ms (%d cues, %d missing; p50 %.2f ms)" % (
              "PASS" if entry_ok else "FAIL", ENTRY, ENTRY_SECONDS[-1], ENTRY_SECONDS[0],
              entry_what, entry_held,
              TARGET_P99_MS, len(entry_sizes), len(entry_missing), rank(entry_sizes, 0.5)))
    return 0 if ok and entry_ok else 1


if __name__ == "__main__":
    sys.exit(main())
