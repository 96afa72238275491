"""The callouts on the output chosen, through a real sound server: a private pulseaudio with two
null sinks, "room" (the default) and "loop", each monitor recorded with parec.

    sound_outputs_test.py ORVANE FIND_CUES STORY

With "loop" chosen in the Callouts dialog, STORY is one of:
  chosen   with the volume at 50 %, a count is heard on "loop" only, at half its level, every
           cue nearest its second, and an event's long name said after "five" is cut where
           "four" begins; the Callouts dialog's Test is heard some seconds after liftoff
  removed  "loop" is removed after "nine": the status bar says the default output plays, and
           the cues that follow are heard on "room"; "loop" comes back with the same name after
           "six": the status bar says so and the last cues are heard on "loop" again. Every
           cue is heard once, nearest its second, none lost at either change.
  switched the user chooses another output three times during the count: each cue is heard
           once, nearest its second, on the output chosen at its second
  restarted the sound process is killed before the count: the one started in its place
           plays the count on "loop" only
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from real_sound_test import (COUNT, RATE, TEST_PHRASE, Orvane, Sound, heard_once_each,  # noqa
                              stop, wait_for)

EVENT = "Tower clear, all stations report your status for the terminal count"
FALLBACK = '"Sound: default output"'


class Server(Sound):
    """The private sound server, its two outputs, and the recordings of their monitors, each
    kept as [sink, path, began], with "ended" after them once the output is removed."""

    def __init__(self, home):
        super().__init__(home)
        self.modules = {}
        self.recorders = {}
        self.levels = {}  # each text's levels as found, against the phrase as made

    def start(self):
        self.start_server()
        self.add("room", "Room-speakers")
        self.add("loop", "Headset-loop")

    def pactl(self, *args):
        done = subprocess.run(["pactl", *args], env=self.env, capture_output=True, text=True,
                              timeout=20)
        assert done.returncode == 0, "pactl %s: %s" % (args, done.stderr)
        return done.stdout.strip()

    def add(self, sink, description):
        """Loads the output SINK and records its monitor."""
        self.modules[sink] = self.pactl(
            "load-module", "module-null-sink", "sink_name=" + sink, "rate=%d" % RATE,
            "channels=1", "sink_properties=device.description=" + description)
        loaded = time.time()
        path = "%s/%s-%d.raw" % (self.home, sink, len(self.recordings))
        self.recorders[sink] = subprocess.Popen(
            ["parec", "-d", sink + ".monitor", "--format=s16le", "--rate=%d" % RATE,
             "--channels=1", "--latency-msec=10", "--raw", path], env=self.env)
        wait_for("the recording of " + sink,
                 lambda: os.path.exists(path) and os.path.getsize(path) > RATE // 2, 20)
        self.recordings.append([sink, path, None])
        return loaded

    def remove(self, sink):
        """Unloads the output SINK; its recording ends with it."""
        self.mark()
        self.pactl("unload-module", self.modules.pop(sink))
        stop(self.recorders.pop(sink), signal.SIGINT)
        self.recordings = [r + ["ended"] if r[0] == sink and len(r) == 3 else r
                           for r in self.recordings]

    def running(self):
        return [r[1:] for r in self.recordings if len(r) == 3]

    def mark(self):
        """Notes when each running recording began, from its length now: the recorder writes
        at the pace of real time. The earliest of many notes is the truest."""
        for r in self.recordings:
            if len(r) == 3:
                began = time.time() - os.path.getsize(r[1]) / 2 / RATE
                r[2] = began if r[2] is None else min(r[2], began)

    def end(self):
        for recorder in self.recorders.values():
            stop(recorder, signal.SIGINT)
        stop(self.server)

    def find(self, texts, find_cues, since):
        """Each text's onsets after the computer's time SINCE, on each output."""
        onsets = {"room": {}, "loop": {}}
        for r in self.recordings:
            sink, path, began = r[:3]
            # find_cues only makes the phrases: it keeps off the sound server.
            finding = subprocess.run([find_cues, path] + texts, capture_output=True, text=True,
                                     timeout=120, env=dict(
                                         self.env, PULSE_SERVER="unix:" + self.home + "/none"))
            assert finding.returncode == 0, "find_cues: " + finding.stderr
            for row in filter(None, finding.stdout.split("\n")):
                text, sample, _, level = row.split("\t")
                at = began + int(sample) / RATE
                if at > since:
                    onsets[sink].setdefault(text, []).append(at)
                    self.levels.setdefault(text, []).append(float(level))
        return onsets


def status(program):
    return program.do("get frmOrvane.sbrStatusBar(pnlSound).Text")


def output_places(program):
    """Each output's place in the Callouts dialog, by the description shown; the dialog is
    left on the default output."""
    program.do("click frmOrvane.mnuCallouts")
    wait_for("the outputs in the dialog",
             lambda: program.do("get frmCallouts.vsbOutput.Max") == "2", 20, 0.05)
    places = {}
    for place in range(3):
        program.do("set frmCallouts.vsbOutput.Value %d" % place)
        places[program.do("get frmCallouts.lblOutputName.Caption").strip('"')] = place
    program.do("set frmCallouts.vsbOutput.Value %d" % places["The default output"])
    program.do("click frmCallouts.cmdClose")
    return places


def choose(program, places, description):
    """Chooses the output in the Callouts dialog, as the user would mid-count."""
    program.do("click frmOrvane.mnuCallouts")
    program.do("set frmCallouts.vsbOutput.Value %d" % places[description])
    assert program.do("get frmCallouts.lblOutputName.Caption") == '"%s"' % description
    program.do("click frmCallouts.cmdClose")


def choose_loop(program):
    choose(program, output_places(program), "Headset-loop")


def count_on_loop(server, program, find_cues):
    # At half the volume.
    program.do("click frmOrvane.mnuCallouts")
    program.do("set frmCallouts.vsbVolume.Value 50")
    program.do("click frmCallouts.cmdClose")
    for line in ("set frmEventTimers.EventData.Plus0 -", "set frmEventTimers.EventData.Secs0 5",
                 "set frmEventTimers.pctEvent(0).Tag -",
                 "set frmEventTimers.lblName(0).Caption " + EVENT):
        program.do(line)
    begun = time.time()
    launch = int(begun) + 14
    program.set_launch(launch)
    server.watch(launch + 2)
    onsets = server.find(COUNT, find_cues, begun)
    assert not onsets["room"], "heard on the room's output: %s" % onsets["room"]
    # "four" lands on its second though the event's name was still being said.
    heard_once_each(onsets["loop"], COUNT, launch)
    for cue in COUNT:
        assert all(0.42 < level < 0.58 for level in server.levels[cue]), \
            "%r heard at %s of its level, not half" % (cue, server.levels[cue])
    # Some seconds after liftoff, with nothing to say, the stream rests; the dialog's Test
    # is heard all the same, at once.
    server.watch(launch + 5)
    program.do("click frmOrvane.mnuCallouts")
    clicked = time.time()
    program.do("click frmCallouts.cmdTest")
    program.do("click frmCallouts.cmdClose")
    server.watch(clicked + 3)
    tested = server.find([TEST_PHRASE], find_cues, clicked)
    assert len(tested["loop"].get(TEST_PHRASE, [])) == 1, "the Test after a rest: %s" % tested
    return launch


def heard_once_each_where(onsets, launch, on_room):
    """Every cue of the count once over both outputs, a second apart and nearest its own
    second, and on "room" where ON_ROOM(its second) holds, on "loop" elsewhere."""
    merged = {}
    for found in onsets.values():
        for text, times in found.items():
            merged.setdefault(text, []).extend(times)
    heard_once_each(merged, COUNT, launch)
    for i, cue in enumerate(COUNT):
        want = "room" if on_room(launch + i - 10) else "loop"
        assert cue in onsets[want], "%r heard on the wrong output: %s" % (cue, onsets)


def count_through_a_removal(server, program, find_cues):
    begun = time.time()
    launch = int(begun) + 14
    program.set_launch(launch)
    # Each change comes once the cue of that second has been said, and a little under half a
    # second before the next: the stream plays a cue then, and must carry it to the other
    # output.
    server.watch(launch - 9 + 0.55)
    fell_back = time.time()
    server.remove("loop")
    wait_for("the status bar to say the default output plays",
             lambda: status(program) == FALLBACK, 3, 0.05)
    server.watch(launch - 6 + 0.55)
    back = server.add("loop", "Headset-loop")
    wait_for("the status bar to say the output is back",
             lambda: status(program) == '"Sound"', 3, 0.05)
    server.watch(launch + 2)
    onsets = server.find(COUNT, find_cues, begun)
    # The recorder of "loop" come back starts after it: on a machine too busy to start it
    # before the next cue, that cue cannot be heard, whatever the program did.
    recorded = [r[2] for r in server.recordings if r[0] == "loop"][-1]
    due = min(launch + i - 10 for i in range(len(COUNT)) if launch + i - 10 > back)
    assert recorded < due, "the recording of loop began %.2f s after the cue due at %.2f" % (
        recorded - due, due)
    # Every cue on the output that plays at its second: the default while "loop" is away.
    heard_once_each_where(onsets, launch, lambda second: fell_back < second < back)
    return fell_back, back


def count_through_a_switch(server, program, find_cues):
    """The count begins on "loop"; after "eight" the user chooses the room's speakers, after
    "four" the default output (the room's, too, but chosen as such) and after "two" the
    loop again: the cues heard where they were sent, none lost or doubled in the moves."""
    places = output_places(program)
    choose(program, places, "Headset-loop")
    begun = time.time()
    launch = int(begun) + 14
    program.set_launch(launch)
    switches = []
    for second, description in ((-8, "Room-speakers"), (-4, "The default output"),
                                (-2, "Headset-loop")):
        server.watch(launch + second + 0.55)
        choose(program, places, description)
        switches.append(time.time())
    server.watch(launch + 2)
    onsets = server.find(COUNT, find_cues, begun)
    heard_once_each_where(onsets, launch, lambda second: switches[0] < second < switches[2])


def count_after_a_restart(server, program, find_cues):
    """The sound process is killed at T-17: the one started in its place plays on "loop" from
    its first cue, as chosen, not on the default output."""
    launch = int(time.time()) + 19
    program.set_launch(launch)
    server.watch(launch - 17)
    killed = wait_for("the sound process", program.sound_processes, 20)[0]
    os.kill(killed, signal.SIGKILL)
    wait_for("the sound process started again",
             lambda: [pid for pid in program.sound_processes() if pid != killed], 20, 0.05)
    server.watch(launch + 2)
    # From the final count on: the seconds marks before it are not listened for.
    onsets = server.find(COUNT, find_cues, launch - 10.5)
    assert not onsets["room"], "heard on the room's output: %s" % onsets["room"]
    heard_once_each(onsets["loop"], COUNT, launch)


STORIES = {"chosen": count_on_loop, "removed": count_through_a_removal,
           "switched": count_through_a_switch, "restarted": count_after_a_restart}


def main(orvane, find_cues, story):
    if not shutil.which("pulseaudio") or not shutil.which("parec") or not shutil.which("pactl"):
        print("pulseaudio, pactl or parec is not installed")
        return 77
    home = tempfile.mkdtemp(prefix="orvane-outputs-")
    server = Server(home)
    program = None
    try:
        server.start()
        program = Orvane(orvane, home, server.env)
        choose_loop(program)
        STORIES[story](server, program, find_cues)
        print(story + ": every cue heard on its output, nearest its second")
        return 0
    finally:
        if program:
            program.end()
        server.end()
        if not os.environ.get("ORVANE_KEEP_SOUND_TEST"):
            shutil.rmtree(home, ignore_errors=True)
        else:
            print("kept", home)


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]))
