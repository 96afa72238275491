"""The callouts through a real sound server: a private pulseaudio with a null sink, started
here in a folder of its own, its monitor recorded with parec; find_cues finds each phrase in
the recording.

    real_sound_test.py ORVANE FIND_CUES [STORY]

STORY is one of:
  count            the Callouts dialog's Test is heard; then, on the program's own clock after
                   "T - 30 Seconds", the last 15 seconds to a new launch time: every cue heard
                   once, in order, a second apart, and an event's name at T - 5 after "five"
  hold-resume      20 holds and resumes, each "hold" and "resuming count" heard
  stop-process     the sound process stopped (SIGSTOP) at T - 17: "No sound" within 2 s, and
                   the count from T - 10 heard from the process started again
  restart-server   the sound server ended at T - 16 and started again: the count from T - 10
                   heard through the new server
  server-late      the program started before the sound server, which starts at T - 13, long
                   after the program's first looks for it: the count from T - 10 heard
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from orvane_remote import wait_for  # noqa: E402

RATE = 22050
COUNT = ["T minus ten", "nine", "eight", "seven", "six", "five", "four", "three", "two", "one",
         "liftoff"]
TEST_PHRASE = "T minus ten, nine, eight"
EVENT = "Tower clear"
HOLDS = 20


def stop(proc, sig=signal.SIGTERM):
    if proc and proc.poll() is None:
        proc.send_signal(sig)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class Sound:
    """The private sound server and the recording of its sink's monitor. Each recording is
    kept with the computer's time of its first sample."""

    def __init__(self, home):
        self.home = home
        self.socket = home + "/native"
        self.env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home,
                        XDG_CONFIG_HOME=home + "/config", TZ="UTC",
                        PULSE_SERVER="unix:" + self.socket)
        self.server = self.recorder = None
        self.recordings = []  # [path, began]

    def start_server(self, *loads):
        """Starts pulseaudio on the private socket, with the modules LOADS besides."""
        if os.path.exists(self.socket):
            os.unlink(self.socket)
        self.server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "--load=module-native-protocol-unix socket=%s auth-anonymous=1" % self.socket,
             *("--load=" + load for load in loads)],
            env=dict(self.env, PULSE_SERVER=""), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        wait_for("the sound server",
                 lambda: os.path.exists(self.socket) or self.server.poll() is not None, 20)
        assert self.server.poll() is None, "pulseaudio ended at once"

    def start(self):
        self.start_server("module-null-sink sink_name=cues rate=%d channels=1" % RATE)
        path = "%s/monitor-%d.raw" % (self.home, len(self.recordings))
        self.recorder = subprocess.Popen(
            ["parec", "-d", "cues.monitor", "--format=s16le", "--rate=%d" % RATE,
             "--channels=1", "--latency-msec=10", "--raw", path], env=self.env)
        wait_for("the recording to start",
                 lambda: os.path.exists(path) and os.path.getsize(path) > RATE, 20)
        self.recordings.append([path, None])
        self.starts = []

    def mark(self):
        """Notes when the recording began, from its length now: the recorder writes at the
        pace of real time. The earliest of many notes is the truest."""
        path = self.recordings[-1][0]
        began = time.time() - os.path.getsize(path) / 2 / RATE
        old = self.recordings[-1][1]
        self.recordings[-1][1] = began if old is None else min(old, began)

    def running(self):
        """The recordings still being written, as [path, began]."""
        return self.recordings[-1:]

    def watch(self, until):
        """Marks the recordings until every one still running holds the computer's time
        UNTIL."""
        deadline = time.monotonic() + max(0.0, until - time.time()) + 20
        while True:
            self.mark()
            if all(r[-1] is not None and r[-1] + os.path.getsize(r[0]) / 2 / RATE >= until
                   for r in self.running()):
                return
            assert time.monotonic() < deadline, "the recordings never reached %s" % until
            time.sleep(0.05)

    def end(self):
        stop(self.recorder, signal.SIGINT)
        stop(self.server)

    def find(self, texts, find_cues, threshold=0.9):
        """Each text's onsets on the computer's clock, over every recording."""
        onsets = {}
        for path, began in self.recordings:
            finding = subprocess.run([find_cues, path] + texts, capture_output=True, text=True,
                                     timeout=120,
                                     env=dict(self.env, FIND_CUES_THRESHOLD=str(threshold)))
            assert finding.returncode == 0, "find_cues: " + finding.stderr
            for row in filter(None, finding.stdout.split("\n")):
                text, sample = row.split("\t")[:2]
                onsets.setdefault(text, []).append(began + int(sample) / RATE)
        return onsets


class Orvane:
    def __init__(self, exe, home, env, args=()):
        os.makedirs(home + "/config", exist_ok=True)
        self.proc = subprocess.Popen(
            [exe, "--no-splash", *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=open(home + "/orvane.err", "w"), text=True, bufsize=1, cwd=home,
            env=dict(env, QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1",
                     ORVANE_INSTANCE_NAME="orvane-sound-%d" % os.getpid()))

    def do(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        # The driver's answer; the journal's lines may come before it.
        answer = self.proc.stdout.readline().strip()
        while answer.startswith("journal "):
            answer = self.proc.stdout.readline().strip()
        assert answer.startswith("done " + line), answer
        return answer[len("done " + line):].strip(" =")

    def set_launch(self, when):
        caption = time.strftime("%B %d, %Y   %I:%M:%S %p", time.gmtime(when))
        self.do("set frmOrvane.lblTarget.Caption " + caption.replace("   0", "   ", 1))

    def sound_processes(self):
        """The program's running sound processes (orvane-sound), by pid."""
        children = []
        for task in os.listdir("/proc/%d/task" % self.proc.pid):
            with open("/proc/%d/task/%s/children" % (self.proc.pid, task)) as f:
                children += [int(pid) for pid in f.read().split()]
        found = []
        for pid in children:
            try:
                with open("/proc/%d/comm" % pid) as f:
                    if f.read().strip() == "orvane-sound":
                        found.append(pid)
            except FileNotFoundError:
                pass
        return found

    def end(self):
        if self.proc.poll() is None:
            self.proc.stdin.write("end\n")
            self.proc.stdin.flush()
            try:
                self.proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def heard_once_each(onsets, cues, launch=None):
    """Every cue heard once, in order; a second apart, and nearest its own second when the
    launch's moment on the computer's clock is known."""
    previous = None
    for i, cue in enumerate(cues):
        heard = onsets.get(cue, [])
        assert len(heard) == 1, "%r heard %d times: %s" % (cue, len(heard), onsets)
        if launch is not None:
            second = round(heard[0] - launch)
            assert second == i - 10, "%r heard nearest T%+d, not T%+d" % (cue, second, i - 10)
        if previous is not None:
            apart = heard[0] - previous
            assert 0.8 < apart < 1.2, "%r heard %.2f s after the cue before" % (cue, apart)
        previous = heard[0]


def final_count_only(program):
    """The seconds marks switched off in the Callouts dialog: "T minus fifteen seconds" begins
    as "T minus ten" does, and these stories listen for the final count."""
    program.do("click frmOrvane.mnuCallouts")
    program.do("click frmCallouts.chkSeconds")
    program.do("click frmCallouts.cmdClose")


def story_count(orvane, sound, program, find_cues):
    final_count_only(program)
    # The dialog's test, in the voice.
    program.do("click frmOrvane.mnuCallouts")
    program.do("click frmCallouts.cmdTest")
    sound.watch(time.time() + 2.5)
    program.do("click frmCallouts.cmdClose")
    # An event five seconds before launch, named.
    for line in ("set frmEventTimers.EventData.Plus0 -", "set frmEventTimers.EventData.Secs0 5",
                 "set frmEventTimers.pctEvent(0).Tag -",
                 "set frmEventTimers.lblName(0).Caption " + EVENT):
        program.do(line)
    # The program's own clock is put to T - 30 seconds; a new launch time 16 s on from it then
    # brings the final count soon.
    launch = int(time.time()) + 3600
    program.set_launch(launch)
    sound.mark()
    clicked = time.time()
    program.do("click frmOrvane.mnuTminus30Sec")
    program.set_launch(int(launch - 30 + (time.time() - clicked) + 16))
    sound.watch(time.time() + 18)
    found = sound.find(COUNT + [TEST_PHRASE, EVENT], find_cues)
    # The test's phrase begins as the count's first cue does: each is told by when it is heard.
    tested = [t for t in found.get(TEST_PHRASE, []) if t < clicked]
    assert len(tested) == 1, "the dialog's test: %s" % found
    onsets = {text: [t for t in times if t > clicked] for text, times in found.items()}
    heard_once_each(onsets, COUNT)
    assert len(onsets.get(EVENT, [])) == 1, "the event's name: %s" % onsets
    five = onsets["five"][0]
    assert five < onsets[EVENT][0] < five + 1.5, "the event's name after \"five\": %s" % onsets
    return "the test, every cue of the count on the program's own clock, and the event heard"


def story_hold_resume(orvane, sound, program, find_cues):
    program.set_launch(int(time.time()) + 600)
    program.do("click frmOrvane.mnuRtHoldEnable")
    for _ in range(HOLDS):
        for pause in (0.6, 0.7):
            program.do("click frmOrvane.cmdHoldResume")
            sound.watch(time.time() + pause)
    sound.watch(time.time() + 2)
    # On a busy machine a short "hold" may lose a few milliseconds to the sound server and
    # match a little less well; anything else in the recording matches it below 0.75.
    onsets = sound.find(["hold", "resuming count, T minus 9 minutes 59 seconds"], find_cues,
                        threshold=0.8)
    holds = len(onsets.get("hold", []))
    resumes = len(onsets.get("resuming count, T minus 9 minutes 59 seconds", []))
    assert (holds, resumes) == (HOLDS, HOLDS), "heard %d holds and %d resumes of %d" % (
        holds, resumes, HOLDS)
    return "every hold and every resume heard"


def story_stop_process(orvane, sound, program, find_cues):
    final_count_only(program)
    launch = int(time.time()) + 19
    program.set_launch(launch)
    sound.watch(launch - 17)
    stopped = wait_for("the sound process", program.sound_processes, 20)[0]
    os.kill(stopped, signal.SIGSTOP)
    try:
        # The silence is said within two seconds.
        wait_for("\"No sound\" in the status bar",
                 lambda: program.do("get frmOrvane.sbrStatusBar(pnlSound).Text") ==
                 '"No sound"', 2, 0.05)
        tip = program.do("get frmOrvane.sbrStatusBar(pnlSound).ToolTipText")
        assert "stopped answering" in tip, tip
    finally:
        if os.path.exists("/proc/%d" % stopped):
            os.kill(stopped, signal.SIGCONT)
    sound.watch(launch + 2)
    heard_once_each(sound.find(COUNT, find_cues), COUNT, launch)
    return "the stop said, and the count heard from the sound process started again"


def story_restart_server(orvane, sound, program, find_cues):
    final_count_only(program)
    launch = int(time.time()) + 19
    program.set_launch(launch)
    sound.watch(launch - 16)
    sound.end()
    wait_for("\"No sound\" in the status bar",
             lambda: program.do("get frmOrvane.sbrStatusBar(pnlSound).Text") == '"No sound"',
             10, 0.05)
    sound.start()
    sound.watch(launch + 2)
    heard_once_each(sound.find(COUNT, find_cues), COUNT, launch)
    return "the count heard through the sound server started again"


def story_server_late(orvane, sound, program, find_cues):
    wait_for("\"No sound\" in the status bar",
             lambda: program.do("get frmOrvane.sbrStatusBar(pnlSound).Text") == '"No sound"',
             20, 0.05)
    final_count_only(program)
    launch = int(time.time()) + 25
    program.set_launch(launch)
    # By T - 13 the sound process has looked for the server every second a few times and
    # then waits a minute before it looks again by time: only the socket's coming, which the
    # kernel tells it, makes it look sooner.
    wait_for("T - 13", lambda: int(program.do("get frmOrvane.lblSeconds.Caption").strip('"'))
             <= 13, 30, 0.1)
    sound.start()
    sound.watch(launch + 2)
    heard_once_each(sound.find(COUNT, find_cues), COUNT, launch)
    return "the count heard through the sound server started after the program"


STORIES = {"count": (story_count, ["--own-clock"]), "hold-resume": (story_hold_resume, []),
           "stop-process": (story_stop_process, []),
           "restart-server": (story_restart_server, []),
           "server-late": (story_server_late, [])}


def main(orvane, find_cues, story="count"):
    if not shutil.which("pulseaudio") or not shutil.which("parec"):
        print("pulseaudio or parec is not installed")
        return 77
    run, args = STORIES[story]
    home = tempfile.mkdtemp(prefix="orvane-sound-")
    sound = Sound(home)
    program = None
    try:
        if story != "server-late":
            sound.start()
        program = Orvane(orvane, home, sound.env, args)
        print(run(orvane, sound, program, find_cues))
        return 0
    finally:
        if program:
            program.end()
        sound.end()
        if not os.environ.get("ORVANE_KEEP_SOUND_TEST"):
            shutil.rmtree(home, ignore_errors=True)
        else:
            print("kept", home)


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
                  *(sys.argv[3:4] or [])))
