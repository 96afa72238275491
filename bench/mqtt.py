#!/usr/bin/python3
"""A leader and 200 followers' worth of subscribers on one broker (bench/run runs it after the
remote displays): a private mosquitto on 127.0.0.1 and a free port, the probed program
(offscreen, the benchmark's scene) publishing to it with --publish, and 200 MQTT 3.1.1
subscribers to its topic, each on a connection of its own, all read by one thread here. Just
before, for as long, the bare label (orvane-floor-label, offscreen) measures the floor, and
then the same program without --publish runs for as long, its CPU and wake-ups shown beside the
leader's (not held), to tell the leader's share from the program's own.

First, for SECONDS, the program publishes with nothing to tell (its state at least once a
minute): its CPU and wake-ups then are the leader's cost beside the bare label's. Then, for
SECONDS, the program's hold button is clicked through its input driver every 2 s, a hold
and then a resume in turn, at a random moment of the first second of each 2 s. A click's
delay runs from the probe's "hold" line (the wall clock's time when the button took its new
caption in the handling of the click, just before the program tells its listeners, the
leader among them) to the moment the last of the 200 subscribers read the first state message
on TOPIC with the new `holding`. A subscriber's moment is the wall clock read right after the
read of its connection that completed the message; the readings of one wake-up are all taken
before any of them is parsed or acknowledged. In the other second of each 2 s the bench
publishes the program's last state message itself (QoS 1, retained, as the program does) on
TOPIC/floor from a connection of its own: the bare publish, the floor of the broker and the
subscribers on this machine, from the moment its bytes were handed to the kernel.

Prints the figures and one PASS or FAIL line per target:

- a hold or a resume at the last subscriber: p99 at most 50 ms, over 300 clicks or more
  (bench/run --busy: 600 s, 300 clicks), below that the max;
- every subscriber heard every hold and every resume;
- the program's CPU (all its threads, libmosquitto's among them) while publishing with
  nothing to tell, at most twice the bare label's. Its wake-ups a second are shown beside the
  bare label's, not held; its CPU and wake-ups with the clicks are shown, not held: a hold
  every 2 s is work the bare label has no share in.

    bench/mqtt.py PROGRAM SECONDS FLOOR_LABEL
Exits 0 when every target passed, 1 otherwise. ORVANE_BENCH_VERBOSE=1 also prints every
click's delay. Loopback only; every wait is bounded; the broker and the programs it starts are
ended here.
"""
import json
import os
import queue
import random
import selectors
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "remote"))
from orvane_remote import Program, wait_for  # noqa: E402
from remote import cpu_seconds, rank, read_trace, SETTLE_SECONDS  # noqa: E402

SUBSCRIBERS = 200
TOPIC = "mission/orvane"
FLOOR_TOPIC = TOPIC + "/floor"
CLICK_EVERY_SECONDS = 2.0
DELAY_TARGET_MS = 50.0
CPU_TIMES_FLOOR = 2.0
MIN_SAMPLES_FOR_P99 = 300


def wakeups(pid):
    """The voluntary context switches of all the process's threads: each one a wake-up."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total


def floor_run(floor_label, seconds):
    """The bare label, offscreen, for SECONDS after it settled: its CPU as % of one core and
    its wake-ups a second."""
    home = tempfile.mkdtemp(prefix="orvane-floor-")
    env = dict(os.environ, HOME=home, QT_QPA_PLATFORM="offscreen",
               ORVANE_BENCH_TRACE=os.path.join(home, "trace.txt"))
    proc = subprocess.Popen([os.path.abspath(floor_label)], env=env, cwd=home,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(SETTLE_SECONDS)
        cpu0, woke0, t0 = cpu_seconds(proc.pid), wakeups(proc.pid), time.monotonic()
        time.sleep(seconds)
        cpu1, woke1, t1 = cpu_seconds(proc.pid), wakeups(proc.pid), time.monotonic()
    finally:
        proc.terminate()
        proc.wait(timeout=15)
        shutil.rmtree(home, ignore_errors=True)
    return 100.0 * (cpu1 - cpu0) / (t1 - t0), (woke1 - woke0) / (t1 - t0)


def alone_run(exe, seconds):
    """The same program and scene without --publish, for SECONDS after it settled: its CPU
    and wake-ups, to tell the leader's share from the program's own."""
    home = tempfile.mkdtemp(prefix="orvane-mqtt-bench-")
    os.environ["ORVANE_BENCH_TRACE"] = os.path.join(home, "trace.txt")
    try:
        program = Leader(exe)
    finally:
        del os.environ["ORVANE_BENCH_TRACE"]
    try:
        program.drive("click frmOrvane.mnuHoldEnable", timeout=15)
        time.sleep(SETTLE_SECONDS)
        pid = program.proc.pid
        cpu0, woke0, t0 = cpu_seconds(pid), wakeups(pid), time.monotonic()
        time.sleep(seconds)
        cpu1, woke1, t1 = cpu_seconds(pid), wakeups(pid), time.monotonic()
    finally:
        try:
            program.stop()
        except Exception:
            program.kill()
            raise
        shutil.rmtree(home, ignore_errors=True)
    return 100.0 * (cpu1 - cpu0) / (t1 - t0), (woke1 - woke0) / (t1 - t0)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    """mosquitto on 127.0.0.1 and a free port, with a configuration of its own in FOLDER."""

    def __init__(self, folder):
        self.port = free_port()
        conf = os.path.join(folder, "mosquitto.conf")
        lines = ["listener %d 127.0.0.1" % self.port, "allow_anonymous true",
                 "persistence false"]
        if os.geteuid() == 0:
            lines.append("user root")
        with open(conf, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.log_path = os.path.join(folder, "mosquitto.log")
        self.log = open(self.log_path, "w")
        self.proc = subprocess.Popen(["/usr/sbin/mosquitto", "-c", conf], stdout=self.log,
                                     stderr=subprocess.STDOUT)

        def listening():
            assert self.proc.poll() is None, "mosquitto ended: " + self.log_text()
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return True
            except OSError:
                return False
        wait_for("mosquitto to listen", listening, timeout=15, step=0.05)

    def log_text(self):
        with open(self.log_path) as f:
            return f.read()[-2000:]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


def remaining_length(n):
    out = bytearray()
    while True:
        byte, n = n % 128, n // 128
        out.append(byte | (0x80 if n else 0))
        if not n:
            return bytes(out)


def utf8(text):
    data = text.encode()
    return struct.pack(">H", len(data)) + data


def packet(first, body):
    return bytes([first]) + remaining_length(len(body)) + body


def read_exactly(s, n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        assert chunk, "the broker closed the connection"
        data += chunk
    return data


def mqtt_connect(port, client_id):
    """A clean MQTT 3.1.1 session with the broker, without keep-alive, accepted."""
    s = socket.create_connection(("127.0.0.1", port), timeout=10)
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    s.sendall(packet(0x10, utf8("MQTT") + bytes([4, 0x02]) + struct.pack(">H", 0) +
                     utf8(client_id)))
    answer = read_exactly(s, 4)
    assert answer[0] == 0x20 and answer[3] == 0, "the broker refused: %r" % answer
    return s


class Subscribers:
    """SUBSCRIBERS connections, each subscribed at QoS 1 to TOPIC and FLOOR_TOPIC (as a
    follower subscribes to its topic), acknowledging every message. For each connection:
    (ns, topic, payload number) per message, the payloads kept once in `payloads`."""

    def __init__(self, port, count):
        self.payloads = []
        self.numbers = {}
        self.topics = {}
        self.heard = [[] for _ in range(count)]
        self.closed = 0
        self.selector = selectors.DefaultSelector()
        self.sockets = []
        for i in range(count):
            s = mqtt_connect(port, "orvane-bench-%d-%d" % (os.getpid(), i))
            s.sendall(packet(0x82, struct.pack(">H", 1) + utf8(TOPIC) + bytes([1]) +
                             utf8(FLOOR_TOPIC) + bytes([1])))
            answer = read_exactly(s, 6)
            assert answer[0] == 0x90 and answer[4:] == b"\x01\x01", "subscription refused"
            s.setblocking(False)
            self.selector.register(s, selectors.EVENT_READ, (i, bytearray()))
            self.sockets.append(s)
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            # Every ready connection is read and timed first; parsing and acknowledging follow.
            read = []
            for key, _ in self.selector.select(timeout=0.2):
                try:
                    data = key.fileobj.recv(262144)
                except BlockingIOError:
                    continue
                except OSError:
                    data = b""
                read.append((key, data, time.time_ns()))
            for key, data, ns in read:
                if not data:
                    self.selector.unregister(key.fileobj)
                    self.closed += 1
                    continue
                i, buf = key.data
                buf.extend(data)
                acks = self._packets(i, buf, ns)
                if acks:
                    try:
                        key.fileobj.sendall(acks)
                    except OSError:
                        pass

    def _packets(self, i, buf, ns):
        """Takes the whole packets from BUF; returns the acknowledgements they call for."""
        acks = b""
        while len(buf) >= 2:
            size, shift, at = 0, 0, 1
            while True:
                if at >= len(buf):
                    return acks
                byte = buf[at]
                size += (byte & 0x7F) << shift
                shift += 7
                at += 1
                if not byte & 0x80:
                    break
            if len(buf) < at + size:
                return acks
            first, body = buf[0], bytes(buf[at:at + size])
            del buf[:at + size]
            if first >> 4 != 3:
                continue  # only messages matter here
            n = struct.unpack(">H", body[:2])[0]
            topic, rest = body[2:2 + n], body[2 + n:]
            if first & 0x06:
                acks += b"\x40\x02" + rest[:2]
                rest = rest[2:]
            number = self.numbers.get(rest)
            if number is None:
                number = self.numbers[rest] = len(self.payloads)
                self.payloads.append(rest)
            self.heard[i].append((ns, self.topics.setdefault(topic, topic.decode()), number))
        return acks

    def heard_all(self, topic):
        return all(any(t == topic for _, t, _ in h) for h in self.heard)

    def close(self):
        self.running = False
        self.thread.join(timeout=5)
        for s in self.sockets:
            s.close()


class Leader(Program):
    """The probed program publishing to the broker, driven through its standard input; unlike
    the remote displays' Program it serves no screens."""

    def __init__(self, exe, url=None):
        self.home = tempfile.mkdtemp(prefix="orvane-mqtt-bench-")
        for d in ("config", "runtime"):
            os.makedirs(os.path.join(self.home, d), mode=0o700)
        env = dict(os.environ, HOME=self.home,
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_DATA_HOME=os.path.join(self.home, "data"),
                   XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"),
                   ORVANE_INSTANCE_NAME="orvane-mqtt-bench-%d" % os.getpid(),
                   QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1")
        publish = ["--publish", url] if url else []
        self.proc = subprocess.Popen([os.path.abspath(exe), "--no-splash", *publish],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, env=env, cwd=self.home,
                                     text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()


def summary(values):
    """p50 / p99 / max in ms, the p99 as - under MIN_SAMPLES_FOR_P99 samples."""
    if not values:
        return "-"
    p99 = "%.2f" % rank(values, 0.99) if len(values) >= MIN_SAMPLES_FOR_P99 else "-"
    return "%.2f / %s / %.2f" % (rank(values, 0.5), p99, max(values))


def first_after(heard, topic, since, until, wanted):
    """The time of the first message on TOPIC read in [SINCE, UNTIL) that WANTED accepts."""
    for ns, t, number in heard:
        if since <= ns < until and t == topic and wanted(number):
            return ns
    return None


def main():
    exe, seconds, floor_label = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    floor_cpu, floor_wakeups = floor_run(floor_label, seconds)
    alone_cpu, alone_wakeups = alone_run(exe, seconds)

    folder = tempfile.mkdtemp(prefix="orvane-mqtt-bench-")
    os.chmod(folder, 0o755)
    trace = os.path.join(folder, "trace.txt")
    broker = Broker(folder)
    subscribers = None
    leader = None
    publisher = None
    clicks = []  # (ns the click line was written, ns its answer came)
    floors = []  # ns each bare publish was handed to the kernel
    try:
        subscribers = Subscribers(broker.port, SUBSCRIBERS)
        os.environ["ORVANE_BENCH_TRACE"] = trace
        leader = Leader(exe, "mqtt://127.0.0.1:%d/%s" % (broker.port, TOPIC))
        del os.environ["ORVANE_BENCH_TRACE"]
        wait_for("every subscriber to hear the leader", lambda: subscribers.heard_all(TOPIC),
                 timeout=30)
        leader.drive("click frmOrvane.mnuHoldEnable", timeout=15)
        publisher = mqtt_connect(broker.port, "orvane-bench-floor-%d" % os.getpid())
        time.sleep(SETTLE_SECONDS)

        # First the leader as it mostly is: publishing, connected, with nothing to tell.
        quiet_messages = len(subscribers.heard[0])
        cpu0, woke0, t0 = (cpu_seconds(leader.proc.pid), wakeups(leader.proc.pid),
                           time.monotonic())
        time.sleep(seconds)
        quiet_cpu = 100.0 * (cpu_seconds(leader.proc.pid) - cpu0) / (time.monotonic() - t0)
        quiet_wakeups = (wakeups(leader.proc.pid) - woke0) / (time.monotonic() - t0)
        quiet_messages = len(subscribers.heard[0]) - quiet_messages

        cpu0, woke0, t0 = (cpu_seconds(leader.proc.pid), wakeups(leader.proc.pid),
                           time.monotonic())
        start_ns = time.time_ns()
        rounds = max(1, int(seconds // CLICK_EVERY_SECONDS))
        for i in range(rounds):
            slot = t0 + i * CLICK_EVERY_SECONDS
            time.sleep(max(0.0, slot + random.uniform(0.0, 0.8) - time.monotonic()))
            written = time.time_ns()
            leader.drive("click frmOrvane.cmdHoldResume")
            clicks.append((written, time.time_ns()))
            time.sleep(max(0.0, slot + 1.0 + random.uniform(0.0, 0.8) - time.monotonic()))
            # The bare publish: the program's last state message, as the program sends it.
            last = [n for _, t, n in subscribers.heard[0] if t == TOPIC][-1]
            body = (utf8(FLOOR_TOPIC) + struct.pack(">H", i + 1) +
                    subscribers.payloads[last])
            message = packet(0x33, body)
            floors.append(time.time_ns())
            publisher.sendall(message)
        time.sleep(max(0.0, t0 + rounds * CLICK_EVERY_SECONDS - time.monotonic()))
        cpu1, woke1, t1 = (cpu_seconds(leader.proc.pid), wakeups(leader.proc.pid),
                           time.monotonic())
        end_ns = time.time_ns()
    finally:
        os.environ.pop("ORVANE_BENCH_TRACE", None)
        if publisher:
            publisher.close()
        if leader:
            try:
                leader.stop()
            except Exception:
                leader.kill()
                raise
        if subscribers:
            subscribers.close()
        broker.stop()

    results = []
    lines = read_trace(trace)
    shutil.rmtree(folder, ignore_errors=True)
    holds = [(int(p[1]), p[2] == "&Resume") for p in lines.get("hold", [])
             if len(p) == 3 and int(p[1]) >= start_ns]
    holding = {}

    def is_holding(number, wanted):
        if number not in holding:
            holding[number] = json.loads(subscribers.payloads[number]).get("holding")
        return holding[number] == wanted

    last_ms, first_ms, floor_ms, floor_first_ms, written_ms = [], [], [], [], []
    missed = 0
    if len(holds) != len(clicks):
        results.append((False, "the probe saw %d holds and resumes for %d clicks" %
                        (len(holds), len(clicks))))
    else:
        for n, ((ns, held), (written, _)) in enumerate(zip(holds, clicks)):
            until = holds[n + 1][0] if n + 1 < len(holds) else end_ns + 5 * 10**9
            got = [first_after(h, TOPIC, ns, until, lambda k: is_holding(k, held))
                   for h in subscribers.heard]
            missed += sum(1 for g in got if g is None)
            got = [g for g in got if g is not None]
            if got:
                last_ms.append((max(got) - ns) / 1e6)
                first_ms.append((min(got) - ns) / 1e6)
            written_ms.append((ns - written) / 1e6)
    floor_missed = 0
    for n, ns in enumerate(floors):
        until = floors[n + 1] if n + 1 < len(floors) else end_ns + 5 * 10**9
        got = [first_after(h, FLOOR_TOPIC, ns, until, lambda k: True)
               for h in subscribers.heard]
        floor_missed += sum(1 for g in got if g is None)
        got = [g for g in got if g is not None]
        if got:
            floor_ms.append((max(got) - ns) / 1e6)
            floor_first_ms.append((min(got) - ns) / 1e6)
    if os.environ.get("ORVANE_BENCH_VERBOSE"):
        print("click to the last subscriber (ms):", [round(x, 2) for x in last_ms])
        print("bare publish to the last subscriber (ms):", [round(x, 2) for x in floor_ms])

    cpu = 100.0 * (cpu1 - cpu0) / (t1 - t0)
    woke = (woke1 - woke0) / (t1 - t0)
    size = max((len(p) for p in subscribers.payloads), default=0)
    print()
    print("A leader and %d MQTT subscribers on 127.0.0.1, %d s, %d clicks (holds and resumes "
          "in turn, one every %g s); state messages up to %d bytes:" %
          (SUBSCRIBERS, seconds, len(clicks), CLICK_EVERY_SECONDS, size))
    rows = [("click to the message at the last subscriber", summary(last_ms)),
            ("  floor: bare publish to the last subscriber", summary(floor_ms)),
            ("click to the message at the first subscriber", summary(first_ms)),
            ("  floor: bare publish to the first subscriber", summary(floor_first_ms)),
            ("click line written to the button's handling", summary(written_ms)),
            ("CPU publishing, no clicks, % of one core", "%.3f" % quiet_cpu),
            ("  floor: bare label", "%.3f" % floor_cpu),
            ("  the same program without --publish", "%.3f" % alone_cpu),
            ("wake-ups a second, publishing, no clicks", "%.2f" % quiet_wakeups),
            ("  floor: bare label", "%.2f" % floor_wakeups),
            ("  the same program without --publish", "%.2f" % alone_wakeups),
            ("messages heard by a subscriber, no clicks", "%d" % quiet_messages),
            ("CPU with the clicks, % of one core", "%.3f" % cpu),
            ("wake-ups a second with the clicks", "%.2f" % woke)]
    print("                                                       p50 / p99 / max, ms")
    for what, figure in rows:
        print("  %-52s %s" % (what, figure))
    print("  (p99 shows as - over fewer than %d samples: the max stands in for it)" %
          MIN_SAMPLES_FOR_P99)

    if last_ms:
        if len(last_ms) >= MIN_SAMPLES_FOR_P99:
            worst, text = rank(last_ms, 0.99), "p99 %.2f" % rank(last_ms, 0.99)
        else:
            worst, text = max(last_ms), "no p99 under %d samples: max %.2f" % (
                MIN_SAMPLES_FOR_P99, max(last_ms))
        results.append((worst <= DELAY_TARGET_MS,
                        "a hold or resume at the last of %d MQTT subscribers: %s ms <= %.0f ms, "
                        "p50 %.2f ms, bare publish p50 %.2f ms (%d clicks)" %
                        (SUBSCRIBERS, text, DELAY_TARGET_MS, rank(last_ms, 0.5),
                         rank(floor_ms, 0.5) if floor_ms else float("nan"), len(last_ms))))
    else:
        results.append((False, "no hold or resume reached the subscribers"))
    results.append((missed == 0 and floor_missed == 0 and subscribers.closed == 0,
                    "every subscriber heard every hold and resume: %d of %d missed, %d of %d "
                    "bare publishes missed, %d connections closed" %
                    (missed, len(clicks) * SUBSCRIBERS, floor_missed, len(floors) * SUBSCRIBERS,
                     subscribers.closed)))
    results.append((quiet_cpu <= CPU_TIMES_FLOOR * floor_cpu,
                    "CPU publishing to %d MQTT subscribers: %.3f %% <= %.3f %% of one core "
                    "(floor %.3f x 2; without --publish %.3f %%)" %
                    (SUBSCRIBERS, quiet_cpu, CPU_TIMES_FLOOR * floor_cpu, floor_cpu, alone_cpu)))
    for ok, line in results:
        print(("PASS  " if ok else "FAIL  ") + line)
    return 0 if all(ok for ok, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main())
