"""A leader and two followers, three real programs offscreen, through a real mosquitto broker
that this test starts on 127.0.0.1 with a configuration of its own.

    mqtt_test.py ORVANE plain   the broker open to anyone on loopback
    mqtt_test.py ORVANE tls     TLS with a test certificate made here, and a password

Each program counts on its own; they must agree on the count at every second through a hold,
a resume, a new launch time, an event defined and passed, and a simulated time set on the
leader. The broker is then stopped for 10 s: the followers go on counting, warn, and agree
again once it is back. Last the leader is killed: the followers go on counting.

Every program's count is read from its own remote displays' /state.json; the followers'
status bar through the program's input driver. Loopback only; every wait is bounded.
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from orvane_remote import Program, add_built_in_hold, get, launch_caption, wait_for  # noqa: E402

TOPIC = "mission/orvane"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def tool(name):
    for folder in ("/usr/sbin", "/usr/bin"):
        if os.path.exists(os.path.join(folder, name)):
            return os.path.join(folder, name)
    found = shutil.which(name)
    assert found, name + " is not installed (scripts/install-deps installs it)"
    return found


class Broker:
    """mosquitto on 127.0.0.1 and a free port, persisting into the test's folder."""

    def __init__(self, folder, tls):
        self.folder = folder
        self.port = free_port()
        self.tls = tls
        lines = ["listener %d 127.0.0.1" % self.port,
                 "persistence true",
                 "persistence_location %s/" % folder]
        if os.geteuid() == 0:
            lines.append("user root")
        if tls:
            self.cert = os.path.join(folder, "cert.pem")
            key = os.path.join(folder, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                            "-keyout", key, "-out", self.cert, "-days", "2",
                            "-subj", "/CN=localhost",
                            "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
                           check=True, capture_output=True, timeout=60)
            passwords = os.path.join(folder, "passwords")
            subprocess.run([tool("mosquitto_passwd"), "-b", "-c", passwords, "flight",
                            "go for launch"], check=True, capture_output=True, timeout=30)
            os.chmod(passwords, 0o600)
            lines += ["certfile " + self.cert, "keyfile " + key,
                      "allow_anonymous false", "password_file " + passwords]
        else:
            lines.append("allow_anonymous true")
        self.conf = os.path.join(folder, "mosquitto.conf")
        with open(self.conf, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.proc = None
        self.start()

    def start(self):
        self.log = open(os.path.join(self.folder, "mosquitto.log"), "a")
        self.proc = subprocess.Popen([tool("mosquitto"), "-c", self.conf],
                                     stdout=self.log, stderr=subprocess.STDOUT)

        def listening():
            assert self.proc.poll() is None, "mosquitto ended: " + self.log_text()
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return True
            except OSError:
                return False
        wait_for("mosquitto to listen", listening, timeout=15, step=0.05)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            self.proc.wait(timeout=15)
        self.log.close()

    def log_text(self):
        with open(os.path.join(self.folder, "mosquitto.log")) as f:
            return f.read()[-2000:]

    def url(self):
        return "%s://127.0.0.1:%d/%s" % ("mqtts" if self.tls else "mqtt", self.port, TOPIC)


def following_text(broker):
    """What a follower's status bar says while it hears its leader through BROKER."""
    return "Following 127.0.0.1:%d/%s" % (broker.port, TOPIC)


def status(program):
    return get(program, "frmOrvane.sbrStatusBar(pnlCurrentFile).Text")


def seconds_to_launch(state):
    c = state["count"]
    s = ((c["days"] * 24 + c["hours"]) * 60 + c["minutes"]) * 60 + c["seconds"]
    return s if c["sign"] == "-" else -s


def shown(state):
    plan = state.get("plan") or {}
    hold = plan.get("built_in_hold") or {}
    return (state["holding"], seconds_to_launch(state),
            [(e["number"], e["name"], e["sign"], e["offset_s"], e["text"])
             for e in state["events"]],
            plan.get("l_count"), plan.get("liftoff_ms"), hold.get("label"), hold.get("left_s"))


def agree(programs, what):
    """All show the same count, hold and events. Read one after the other, the programs may
    straddle the turn of a second: the reading is taken again until they agree, briefly."""
    last = []

    def same():
        last[:] = [shown(p.state()) for p in programs]
        return last if all(r == last[0] for r in last) else None
    try:
        return wait_for("the programs to agree " + what, same, timeout=3, step=0.02)
    except AssertionError as e:
        raise AssertionError("%s: %r" % (e, last)) from None


def counts_on(program, what):
    """The program's clock turns its next second, and the program answers."""
    first = program.state()["server_time_ms"] // 1000
    wait_for(what, lambda: program.state()["server_time_ms"] // 1000 != first, timeout=3,
             step=0.02)


def every_second(programs, seconds, what):
    """At each of the next SECONDS turns of the first program's clock, all agree."""
    for i in range(seconds):
        counts_on(programs[0], "a second to pass " + what)
        agree(programs, "%s, second %d" % (what, i + 1))


def kept_choice(exe, broker, programs, folder):
    """A copy made a follower in its Remote Displays dialog follows from its next start; a
    copy of another instance name on the same computer keeps its own choice."""
    config = os.path.join(folder, "home")
    os.makedirs(os.path.join(config, "config"), exist_ok=True)

    def copy(instance):
        p = Program(exe, args=["--no-splash"], env_extra=dict(
            HOME=config, XDG_CONFIG_HOME=os.path.join(config, "config"),
            ORVANE_INSTANCE_NAME="orvane-mqtt-%s-%d" % (instance, os.getpid())))
        programs.append(p)
        return p

    following = "frmRemoteDisplays.lblFollowing.Caption"
    room = copy("room2")
    room.drive("click frmOrvane.mnuRemoteDisplays", timeout=15)
    room.drive("set frmRemoteDisplays.txtFollowFrom.Text " + broker.url())
    room.drive("click frmRemoteDisplays.chkFollow")
    assert get(room, following) == ("Not following. From the next start, this copy follows %s."
                                    % broker.url()), get(room, following)
    room.stop()
    programs.remove(room)

    room = copy("room2")
    wait_for("the kept choice to follow", lambda: status(room) == following_text(broker),
             timeout=15)
    room.drive("click frmOrvane.mnuRemoteDisplays")
    assert get(room, following) == following_text(broker) + ".", get(room, following)
    other = copy("other")
    assert not status(other).startswith(("Following", "Leader")), status(other)
    for p in (room, other):
        p.stop()
        programs.remove(p)
    print("mqtt: a follower chosen in the dialog follows from its next start")


def main():
    exe, mode = sys.argv[1], sys.argv[2]
    tls = mode == "tls"
    folder = tempfile.mkdtemp(prefix="orvane-mqtt-")
    os.chmod(folder, 0o755)
    broker = Broker(folder, tls)
    programs = []
    try:
        extra = []
        env = {}
        if tls:
            credentials = os.path.join(folder, "credentials")
            with open(credentials, "w") as f:
                f.write("flight\ngo for launch\n")
            os.chmod(credentials, 0o600)
            extra = ["--mqtt-credentials", credentials]
            env["SSL_CERT_FILE"] = broker.cert

        def start(name, args):
            e = dict(env, ORVANE_INSTANCE_NAME="orvane-mqtt-%s-%d" % (name, os.getpid()))
            p = Program(exe, args=["--no-splash", *args, *extra], env_extra=e)
            programs.append(p)
            return p

        leader = start("leader", ["--own-clock", "--publish", broker.url()])
        leader.drive("click frmOrvane.cmdAccess", timeout=15)
        leader.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60))
        followers = [start("follower%d" % i, ["--follow", broker.url()]) for i in (1, 2)]
        everyone = [leader, *followers]
        # The boards shown, so that their rows count down as well as up.
        for p in everyone:
            p.drive("click frmOrvane.cmdShowTimers")
        for f in followers:
            wait_for("the follower to follow",
                     lambda f=f: status(f) == following_text(broker), timeout=15)
        every_second(everyone, 3, "counting")

        leader.drive("click frmOrvane.mnuHoldEnable")
        leader.drive("click frmOrvane.cmdHoldResume")
        agree(everyone, "held")
        assert all(p.state()["holding"] for p in everyone)
        every_second(everyone, 3, "held")
        leader.drive("click frmOrvane.cmdHoldResume")
        every_second(everyone, 3, "resumed")

        # A built-in hold of four seconds on the leader's plan: the followers show its L count,
        # liftoff and time left at every second of it, and run no plan of their own.
        add_built_in_hold(leader, 3, 4)
        wait_for("the built-in hold", lambda: (leader.state().get("plan") or {}).get(
            "built_in_hold"), timeout=10, step=0.02)
        agree(everyone, "in the built-in hold")
        every_second(everyone, 4, "through the built-in hold")
        assert not leader.state()["holding"], leader.state()

        leader.drive("set frmOrvane.lblTarget.Caption " + launch_caption(5 * 60))
        every_second(everyone, 2, "with a new launch time")
        # An event a few seconds ahead, defined as a launch data file defines it.
        ahead = seconds_to_launch(leader.state()) - 4
        leader.drive("set frmEventTimers.EventData.Secs2 %d" % ahead)
        leader.drive("set frmEventTimers.EventData.Plus2 -")
        leader.drive("set frmEventTimers.lblName(2).Caption Umbilical release")
        leader.drive("set frmEventTimers.pctEvent(2).Tag -")
        agree(everyone, "on the event")
        wait_for("the event to pass",
                 lambda: leader.state()["events"][0]["text"].startswith("+"), timeout=10)
        every_second(everyone, 3, "the event passed")

        leader.drive("click frmOrvane.mnuTminus2")
        agree(everyone, "in simulated time")
        assert seconds_to_launch(leader.state()) == 120, leader.state()["count"]
        every_second(everyone, 3, "in simulated time")

        # The broker stops for ten seconds; the leader holds meanwhile.
        broker.stop()
        for f in followers:
            wait_for("the follower to warn",
                     lambda f=f: status(f).startswith("Leader not heard since "), timeout=10)
        leader.drive("click frmOrvane.cmdHoldResume")  # holds are still armed
        stopped = time.monotonic()
        while time.monotonic() - stopped < 10:
            for f in followers:
                counts_on(f, "the follower to go on counting without the broker")
        broker.start()
        for f in followers:
            wait_for("the follower to hear the leader again",
                     lambda f=f: status(f) == following_text(broker), timeout=20)
        agree(everyone, "after the broker came back")
        assert all(p.state()["holding"] for p in everyone), "the followers caught up"
        leader.drive("click frmOrvane.cmdHoldResume")
        every_second(everyone, 3, "after the broker came back")

        if tls:
            # A wrong password: the follower warns, and its status tells the broker's words.
            wrong = os.path.join(folder, "wrong")
            with open(wrong, "w") as f:
                f.write("flight\nno go\n")
            os.chmod(wrong, 0o600)
            refused = Program(exe, args=["--no-splash", "--follow", broker.url(),
                                         "--mqtt-credentials", wrong],
                              env_extra=dict(env, ORVANE_INSTANCE_NAME="orvane-mqtt-wrong-%d" %
                                             os.getpid()))
            programs.append(refused)
            tip = "frmOrvane.sbrStatusBar(pnlCurrentFile).ToolTipText"
            wait_for("the refused follower to warn",
                     lambda: status(refused).startswith("Leader not heard yet: ") and
                     "not authorised" in get(refused, tip), timeout=15)
            refused.stop()
            programs.remove(refused)

        if not tls:
            kept_choice(exe, broker, programs, folder)

        leader.kill()
        programs.remove(leader)
        for i in range(3):
            for f in followers:
                counts_on(f, "the follower to go on counting without its leader")
            agree(followers, "without their leader, second %d" % (i + 1))
        for f in followers:
            f.stop()
            programs.remove(f)
        print("mqtt %s: a leader and two followers agreed throughout" % mode)
    finally:
        for p in programs:
            p.kill()
        broker.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
