"""The callouts through a real sound server: a private pulseaudio with a null sink, started
here in a folder of its own; the program counts the last 15 seconds to liftoff while parec
records the sink's monitor; every cue must be found in the recording, in order, none twice,
each nearest its own second.

    real_sound_test.py ORVANE FIND_CUES [--kill-sound-process]

With --kill-sound-process the program's sound process is killed (SIGKILL) as the count starts:
the program starts it again, and the count is heard all the same.
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
CUES = ["T minus ten", "nine", "eight", "seven", "six", "five", "four", "three", "two", "one",
        "liftoff"]


def stop(proc, sig=signal.SIGTERM):
    if proc and proc.poll() is None:
        proc.send_signal(sig)
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def sound_processes(program):
    children = []
    for task in os.listdir("/proc/%d/task" % program.pid):
        with open("/proc/%d/task/%s/children" % (program.pid, task)) as f:
            children += [int(pid) for pid in f.read().split()]
    return children


def main(orvane, find_cues, kill_sound_process=False):
    if not shutil.which("pulseaudio") or not shutil.which("parec"):
        print("pulseaudio or parec is not installed")
        return 77
    home = tempfile.mkdtemp(prefix="orvane-sound-")
    server = program = recorder = None
    try:
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, XDG_CONFIG_HOME=home + "/config",
                   TZ="UTC")
        env.pop("PULSE_SERVER", None)
        socket_path = home + "/native"
        server = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "--load=module-native-protocol-unix socket=%s auth-anonymous=1" % socket_path,
             "--load=module-null-sink sink_name=cues rate=%d channels=1" % RATE],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the sound server",
                 lambda: os.path.exists(socket_path) or server.poll() is not None, 20)
        assert server.poll() is None, "pulseaudio ended at once"
        env["PULSE_SERVER"] = "unix:" + socket_path

        recording = home + "/monitor.raw"
        recorder = subprocess.Popen(
            ["parec", "-d", "cues.monitor", "--format=s16le", "--rate=%d" % RATE, "--channels=1",
             "--latency-msec=10", "--raw", recording], env=env)
        wait_for("the recording to start",
                 lambda: os.path.exists(recording) and os.path.getsize(recording) > RATE, 20)

        os.makedirs(home + "/config", exist_ok=True)
        program = subprocess.Popen(
            [orvane, "--no-splash"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=open(home + "/orvane.err", "w"), text=True, bufsize=1, cwd=home,
            env=dict(env, QT_QPA_PLATFORM="offscreen", ORVANE_DRIVE_STDIN="1",
                     ORVANE_INSTANCE_NAME="orvane-sound-%d" % os.getpid()))
        launch = int(time.time()) + 16
        caption = time.strftime("%B %d, %Y   %I:%M:%S %p", time.gmtime(launch))
        caption = caption.replace("   0", "   ", 1)
        line = "set frmOrvane.lblTarget.Caption " + caption
        program.stdin.write(line + "\n")
        program.stdin.flush()
        # The driver's answer; the journal's lines may come before it.
        answer = program.stdout.readline().strip()
        while answer.startswith("journal "):
            answer = program.stdout.readline().strip()
        assert answer == "done " + line, answer
        if kill_sound_process:
            wait_for("the sound process", lambda: sound_processes(program), 20)
            killed = sound_processes(program)[0]
            os.kill(killed, signal.SIGKILL)
            wait_for("the sound process to start again",
                     lambda: [pid for pid in sound_processes(program) if pid != killed], 20)

        # The recording's first sample, on the computer's clock: the recorder writes at the
        # pace of real time, so the file's length tells when it began.
        starts = []
        while time.time() < launch + 2:
            now = time.time()
            starts.append(now - os.path.getsize(recording) / 2 / RATE)
            time.sleep(0.25)
        began = min(starts)
        program.stdin.write("end\n")
        program.stdin.flush()
        program.wait(timeout=20)
        stop(recorder, signal.SIGINT)

        # It renders the cues as the program does, which it only does with a sound server to
        # hear them: it is given the test's.
        finding = subprocess.run([find_cues, recording] + CUES, capture_output=True, text=True,
                                 timeout=120, env=env)
        assert finding.returncode == 0, "find_cues: " + finding.stderr
        found = finding.stdout.split("\n")
        onsets = {}
        for row in filter(None, found):
            text, sample, score = row.split("\t")
            onsets.setdefault(text, []).append(began + int(sample) / RATE)
        previous = 0
        for i, cue in enumerate(CUES):
            heard = onsets.get(cue, [])
            assert len(heard) == 1, "%r heard %d times: %s" % (cue, len(heard), found)
            second = round(heard[0] - launch)
            assert second == i - 10, "%r heard nearest T%+d, not T%+d" % (cue, second, i - 10)
            assert heard[0] > previous, "%r heard out of order" % cue
            previous = heard[0]
        print("every cue heard once, in order, nearest its second")
        return 0
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        stop(recorder, signal.SIGINT)
        stop(server)
        if not os.environ.get("ORVANE_KEEP_SOUND_TEST"):
            shutil.rmtree(home, ignore_errors=True)
        else:
            print("kept", home)


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]),
                  "--kill-sound-process" in sys.argv[3:]))
