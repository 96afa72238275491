"""The real program, served and driven from outside, for the remote display tests.

Starts the program offscreen with --serve 127.0.0.1:0 in a home of its own, reads the port
from its "Serving on" line, drives it through its standard input (ORVANE_DRIVE_STDIN=1) and
reads /state.json. Every network use here goes to 127.0.0.1 only.
"""
import base64
import hashlib
import json
import os
import queue
import re
import selectors
import shutil
import socket
import ssl
import struct
import subprocess
import tempfile
import threading
import time
import urllib.request

# Never through a proxy: the program is on this machine.
_opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class Program:
    """CAFILE: the program serves over TLS with the certificate in it, which is trusted."""

    def __init__(self, exe, args=(), env_extra=None, cafile=None):
        self.home = tempfile.mkdtemp(prefix="orvane-remote-")
        for d in ("config", "runtime"):
            os.makedirs(os.path.join(self.home, d), mode=0o700)
        env = dict(os.environ)
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"),
                   ORVANE_INSTANCE_NAME="orvane-remote-%d" % os.getpid(),
                   QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1")
        env.update(env_extra or {})
        self.proc = subprocess.Popen([os.path.abspath(exe), "--serve", "127.0.0.1:0", *args],
                                     stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     env=env, cwd=self.home, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        line = self.wait_line(lambda l: l.startswith("Serving on "), 20)
        m = re.fullmatch(r"Serving on (https?)://127\.0\.0\.1:(\d+)/", line)
        assert m, "unexpected first line: %r" % line
        assert (m.group(1) == "https") == (cafile is not None), line
        self.port = int(m.group(2))
        assert self.port > 0
        self.url = "%s://127.0.0.1:%d/" % (m.group(1), self.port)
        self.opener = _opener
        if cafile:
            self.opener = urllib.request.build_opener(
                urllib.request.ProxyHandler({}),
                urllib.request.HTTPSHandler(context=trusting(cafile)))

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def wait_line(self, wanted, timeout):
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic()
            assert left > 0, "the program did not say what was expected in time"
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                continue
            assert line is not None, "the program ended early (status %s)" % self.proc.poll()
            if wanted(line):
                return line

    def drive(self, line, timeout=10):
        """One input line; retried while its control is disabled (the splash is still up)."""
        end = time.monotonic() + timeout
        while True:
            self.proc.stdin.write(line + "\n")
            self.proc.stdin.flush()
            answer = self.wait_line(lambda l: l.endswith(line) or (" " + line + ":") in l, 10)
            if answer.startswith("done "):
                return
            assert answer.endswith(": disabled") and time.monotonic() < end, answer
            time.sleep(0.2)

    def state(self):
        with self.opener.open(self.url + "state.json", timeout=5) as r:
            assert r.status == 200
            return json.loads(r.read())

    def stop(self):
        """Ends the program as its own exit does; it must leave with status 0."""
        if self.proc.poll() is None:
            self.proc.stdin.write("end\n")
            self.proc.stdin.flush()
            try:
                status = self.proc.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
                raise AssertionError("the program did not end when asked")
            assert status == 0, "the program ended with status %d" % status
        shutil.rmtree(self.home, ignore_errors=True)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.home, ignore_errors=True)


def connect(port, source="127.0.0.1", timeout=5, receive_buffer=None):
    """A connection to the program from one of this machine's loopback addresses: the tests
    play several hosts by their source address, 127.0.0.2 to 127.0.0.9."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        if receive_buffer:
            # Small both ways: what one side sends waits in the sender, not in the kernels.
            s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
            s.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, receive_buffer)
        s.settimeout(timeout)
        s.bind((source, 0))
        s.connect(("127.0.0.1", port))
    except OSError:
        s.close()
        raise
    return s


def handshake(host=b"127.0.0.1", origin=None, key=None, version=b"13"):
    key = key if key is not None else base64.b64encode(os.urandom(16))
    return (b"GET /ws HTTP/1.1\r\nHost: " + host + b"\r\nUpgrade: websocket\r\n"
            b"Connection: Upgrade\r\nSec-WebSocket-Key: " + key +
            b"\r\nSec-WebSocket-Version: " + version + b"\r\n" +
            (b"Origin: " + origin + b"\r\n" if origin else b"") + b"\r\n")


def open_screen(port, source="127.0.0.1", receive_buffer=None):
    """A connection to the program's WebSocket, its opening handshake sent."""
    s = connect(port, source, receive_buffer=receive_buffer)
    s.sendall(handshake())
    return s


def read_head(s):
    """The response head, read a byte at a time so that nothing after it is taken."""
    head = b""
    while b"\r\n\r\n" not in head:
        chunk = s.recv(1)
        assert chunk, "the connection closed after %r" % head[:80]
        head += chunk
    return head


def frame(opcode, payload=b"", fin=True, length=None):
    """A client's frame, masked as a client's must be; `length` may claim another size."""
    size = len(payload) if length is None else length
    head = bytes([(0x80 if fin else 0) | opcode])
    if size < 126:
        head += bytes([0x80 | size])
    elif size < 65536:
        head += bytes([0x80 | 126]) + struct.pack(">H", size)
    else:
        head += bytes([0x80 | 127]) + struct.pack(">Q", size)
    mask = os.urandom(4)
    return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


def memory_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError("no VmRSS for process %d" % pid)


class MemoryWatch:
    """The program's resident memory, sampled while an attack runs; `peak` in KiB."""

    def __init__(self, pid):
        self.pid = pid
        self.peak = memory_kib(pid)
        self.running = True
        self.thread = threading.Thread(target=self._watch, daemon=True)
        self.thread.start()

    def _watch(self):
        while self.running:
            try:
                self.peak = max(self.peak, memory_kib(self.pid))
            except (OSError, AssertionError):
                return
            time.sleep(0.05)

    def check(self, bound_mib):
        self.running = False
        self.thread.join(timeout=5)
        self.peak = max(self.peak, memory_kib(self.pid))
        assert self.peak < bound_mib * 1024, \
            "the program grew to %d MiB, past %d MiB" % (self.peak // 1024, bound_mib)
        return self.peak


def wait_count_turns(program, timeout=5):
    """The count still turns: the program answers and its shown second changes."""
    first = count_text(program.state())
    wait_for("the count to turn", lambda: count_text(program.state()) != first, timeout)


class Screens:
    """WebSocket screens that read every message and answer the program's pings. CONTEXT: an
    ssl.SSLContext, for a program serving over TLS. `heard` keeps each text message with the
    wall clock's time it was read, in ns, and the screen's number."""

    def __init__(self, port, count, source="127.0.0.1", context=None):
        self.sockets = []
        self.messages = []
        self.heard = []
        self.pings = 0
        self.closed = 0
        self.selector = selectors.DefaultSelector()
        for number in range(count):
            s = connect(port, source)
            if context:
                s = context.wrap_socket(s, server_hostname="127.0.0.1")
            s.sendall(handshake())
            head = read_head(s)
            assert head.startswith(b"HTTP/1.1 101"), head[:60]
            s.setblocking(False)
            self.selector.register(s, selectors.EVENT_READ, (number, bytearray()))
            self.sockets.append(s)
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            for key, _ in self.selector.select(timeout=0.2):
                # Read until the socket has nothing more: over TLS what is decrypted already
                # waits in the socket's own buffer, where select does not see it.
                while True:
                    try:
                        data = key.fileobj.recv(65536)
                    except (BlockingIOError, ssl.SSLWantReadError, ssl.SSLWantWriteError):
                        break
                    except OSError:
                        data = b""
                    if not data:
                        self.selector.unregister(key.fileobj)
                        self.closed += 1
                        break
                    number, buf = key.data
                    buf.extend(data)
                    self._frames(key.fileobj, buf, number, time.time_ns())

    def _frames(self, s, buf, number, ns):
        while len(buf) >= 2:
            opcode, size, at = buf[0] & 0x0F, buf[1] & 0x7F, 2
            if size == 126:
                if len(buf) < 4:
                    return
                size, at = struct.unpack(">H", buf[2:4])[0], 4
            elif size == 127:
                if len(buf) < 10:
                    return
                size, at = struct.unpack(">Q", buf[2:10])[0], 10
            if len(buf) < at + size:
                return
            payload = bytes(buf[at:at + size])
            del buf[:at + size]
            if opcode == 0x1:
                text = payload.decode()
                self.messages.append(text)
                self.heard.append((ns, number, text))
            elif opcode == 0x9:  # ping: a pong with the same payload
                self.pings += 1
                s.sendall(frame(0xA, payload))

    def close(self):
        self.running = False
        self.thread.join(timeout=5)
        for s in self.sockets:
            s.close()


def count_text(state):
    c = state["count"]
    return "T %s %03d %02d:%02d:%02d" % (c["sign"], c["days"], c["hours"], c["minutes"],
                                         c["seconds"])


def launch_caption(seconds_ahead):
    """A launch time as the main window writes it, this many seconds from now."""
    t = time.localtime(time.time() + seconds_ahead)
    hour = t.tm_hour % 12 or 12
    return "%s %d, %d   %d:%02d:%02d %s" % (time.strftime("%B", t), t.tm_mday, t.tm_year, hour,
                                             t.tm_min, t.tm_sec, "AM" if t.tm_hour < 12 else "PM")


def test_certificate(folder):
    """A certificate for 127.0.0.1 made here with openssl, its key, and its key's SPKI hash (base64
    of SHA-256), by which one browser alone may be told to trust it."""
    cert, key = os.path.join(folder, "serve-cert.pem"), os.path.join(folder, "serve-key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"],
                   check=True, capture_output=True, timeout=60)
    der = subprocess.run(["openssl", "x509", "-in", cert, "-pubkey", "-noout"], check=True,
                         capture_output=True, timeout=30).stdout
    spki = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=der,
                          check=True, capture_output=True, timeout=30).stdout
    return cert, key, base64.b64encode(hashlib.sha256(spki).digest()).decode()


def trusting(cert):
    """An SSL context that trusts CERT and nothing else, the system's authorities included."""
    return ssl.create_default_context(cafile=cert)


def page_keeps_the_programs_clock(driver):
    """On the page open in DRIVER (the count, the control page or the overlay), a state slow
    on its way (a page still loading, a busy network) must not make the page's second turn
    late, and a device clock set anew is followed at once."""
    def arrives(shift_ms):
        # The program's last state again, as if it had been sent at the program's time now
        # plus SHIFT_MS: a state SHIFT_MS late on its way when SHIFT_MS is negative.
        return driver.execute_script(
            "take(JSON.stringify(Object.assign({}, state, "
            "{server_time_ms: Date.now() + offset + arguments[0]}))); return offset;", shift_ms)

    def near(ms, expected):
        return abs(ms - expected) <= 2   # the page reads its clock again a moment later
    before = driver.execute_script("return offset;")
    assert near(arrives(-200), before), "a state 200 ms late on its way made the page late"
    assert near(arrives(-120), before)
    # This device's clock set 5 s ahead: every state now seems 5 s late, and is believed.
    assert near(arrives(-5000), before - 5000)
    assert near(arrives(5000), before)
    assert near(arrives(-100), before)


def browser(profile_dir, window_size="1280,720", console_log=False, trusted_spki=None):
    """Headless Chromium on a fresh profile; with console_log its console can be read back.
    TRUSTED_SPKI: the base64 SHA-256 of a test certificate's key that this browser alone
    trusts."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--no-first-run", "--no-proxy-server",
                 "--user-data-dir=" + profile_dir, "--window-size=" + window_size):
        options.add_argument(flag)
    if trusted_spki:
        options.add_argument("--ignore-certificate-errors-spki-list=" + trusted_spki)
    if console_log:
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def get(program, target):
    """A property of the running program, as its input driver prints it."""
    line = "get " + target
    program.proc.stdin.write(line + "\n")
    program.proc.stdin.flush()
    answer = program.wait_line(lambda l: l.startswith("done " + line + " = ") or
                               l.startswith("error " + line), 10)
    assert answer.startswith("done "), answer
    value = answer[len("done " + line + " = "):]
    return value[1:-1] if value.startswith('"') else value


def wait_for(what, check, timeout=10, step=0.1):
    end = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        assert time.monotonic() < end, "timed out waiting for " + what
        time.sleep(step)


def shut_down(driver, profile, program):
    """Closes the browser, removes its profile and stops the program, even after a failure."""
    if driver:
        driver.quit()
    shutil.rmtree(profile, ignore_errors=True)
    try:
        program.stop()
    except Exception:
        program.kill()
        raise


def add_built_in_hold(program, seconds_ahead, length):
    """Through the plan editor: a built-in hold the count reaches SECONDS_AHEAD from now."""
    state = program.state()
    t = (state["launch_time_ms"] - state["server_time_ms"]) // 1000 - seconds_ahead
    program.drive("click frmOrvane.mnuEditPlan")
    program.drive("click frmPlan.cmdAdd")
    program.drive("set frmPlan.txtLength(0).Text 00:00:%02d" % length)
    program.drive("set frmPlan.txtTime(0).Text T-%02d:%02d:%02d" % (t // 3600, t // 60 % 60, t % 60))
    program.drive("click frmPlan.cmdClose")
