"""A leader and a follower through a real mosquitto on 127.0.0.1 that gives each its own user
(the leader may write the topic, the follower only read it and say it is there), attacked by
publishers on the leader's topic:

  - a flood of 10,000 messages at about 5,000 a second, each a hold or a resume and a new
    launch time (the publisher under nice; the rate it achieved is printed): the follower answers throughout, stays under 300 MiB,
    writes little to its journal, and ends on the flood's last word;
  - one 50 MB message: dropped unread and said in the status bar, the follower still counting;
  - a forged message with a far sequence: taken, but the real leader's next word is obeyed and
    "Two leaders publish on TOPIC" shows;
  - the follower's user publishing on the topic: the broker refuses it.

Then followers that cannot reach their leader say why in the status bar: the broker's
certificate not trusted, a broker that does not speak TLS, a wrong password, a refused
connection; and a leader's Remote Displays dialog says whether its broker is reached. Before
all that, a bad credentials file and an overlong topic end the program with status 2 where
there is no display. Loopback only; every wait is bounded.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from mqtt_test import Broker, free_port, get, status, tool, TOPIC  # noqa: E402
from orvane_remote import MemoryWatch, Program, launch_caption, wait_for  # noqa: E402

USERS = {"leader": "go for launch", "follower": "watching"}
FLOOD = 10_000
FLOOD_RATE = 5_000
MEMORY_BOUND_MIB = 300
JOURNAL_GROWTH_BOUND = 1_000_000


class AclBroker(Broker):
    """A plain listener with users and an ACL, and a TLS listener with a self-signed
    certificate."""

    def __init__(self, folder):
        self.folder = folder
        self.port = free_port()
        self.tls_port = free_port()
        self.tls = False
        passwords = os.path.join(folder, "passwords")
        for i, (user, password) in enumerate(USERS.items()):
            subprocess.run([tool("mosquitto_passwd"), "-b", *(["-c"] if i == 0 else []),
                            passwords, user, password], check=True, capture_output=True,
                           timeout=30)
        os.chmod(passwords, 0o600)
        acl = os.path.join(folder, "acl")
        with open(acl, "w") as f:
            f.write("user leader\ntopic readwrite %s/#\ntopic readwrite %s\n\n"
                    "user follower\ntopic read %s\ntopic write %s/followers\n"
                    % (TOPIC, TOPIC, TOPIC, TOPIC))
        self.cert = os.path.join(folder, "cert.pem")
        key = os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                        "-keyout", key, "-out", self.cert, "-days", "2", "-subj", "/CN=localhost",
                        "-addext", "subjectAltName=IP:127.0.0.1"],
                       check=True, capture_output=True, timeout=60)
        lines = ["allow_anonymous false", "password_file " + passwords, "acl_file " + acl,
                 "listener %d 127.0.0.1" % self.port,
                 "listener %d 127.0.0.1" % self.tls_port, "certfile " + self.cert,
                 "keyfile " + key]
        if os.geteuid() == 0:
            lines.append("user root")
        self.conf = os.path.join(folder, "mosquitto.conf")
        with open(self.conf, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.proc = None
        self.start()

    def client(self, program, user, *args):
        return [tool(program), "-h", "127.0.0.1", "-p", str(self.port), "-u", user,
                "-P", USERS[user], "-t", TOPIC, *args]


def credentials(folder, user, password):
    path = os.path.join(folder, "credentials-" + user)
    with open(path, "w") as f:
        f.write("%s\n%s\n" % (user, password))
    os.chmod(path, 0o600)
    return path


def journal_bytes(program):
    total = 0
    for root, _, files in os.walk(os.path.join(program.home, ".local")):
        total += sum(os.path.getsize(os.path.join(root, f)) for f in files)
    return total


def leaders_word(broker):
    """The leader's last message, as the broker keeps it."""
    out = subprocess.run(broker.client("mosquitto_sub", "leader", "-C", "1", "-W", "5"),
                         check=True, capture_output=True, text=True, timeout=10).stdout
    return json.loads(out)


def flood(broker, template):
    """FLOOD messages, each a hold or a resume and a new launch time, at about FLOOD_RATE a
    second; the last one a resume."""
    pub = subprocess.Popen(["nice", "-n", "10", *broker.client("mosquitto_pub", "leader", "-l")],
                           stdin=subprocess.PIPE, text=True)
    began = time.monotonic()
    message = dict(template)
    batch = FLOOD_RATE // 20
    for i in range(FLOOD):
        message["sequence"] = template["sequence"] + 1 + i
        message["launch_time_ms"] = template["launch_time_ms"] + (i + 1) * 1000
        message["holding"] = i % 2 == 0
        pub.stdin.write(json.dumps(message) + "\n")
        if i % batch == batch - 1:
            pub.stdin.flush()
            time.sleep(max(0.0, began + (i + 1) / FLOOD_RATE - time.monotonic()))
    pub.stdin.close()
    pub.wait(timeout=30)
    rate = FLOOD / (time.monotonic() - began)
    print("flood: %d messages at %.0f a second" % (FLOOD, rate))
    return message


def refused_before_any_display(exe, folder):
    """A bad credentials file and a topic longer than MQTT allows end the program with status 2
    and the reason, where there is no display."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(QT_QPA_PLATFORM="xcb", HOME=folder)
    user_only = os.path.join(folder, "user-only")
    with open(user_only, "w") as f:
        f.write("flight\n")
    os.chmod(user_only, 0o600)
    for topic, args, reason in [
            (TOPIC, ["--mqtt-credentials", os.path.join(folder, "none")], "no such file"),
            (TOPIC, ["--mqtt-credentials", user_only], "two lines"),
            ("t" * 65_525, [], "at most 65,524 bytes")]:
        run = subprocess.run([exe, "--follow", "mqtt://127.0.0.1/" + topic, *args], env=env,
                             capture_output=True, text=True, timeout=30)
        assert run.returncode == 2 and reason in run.stderr, (run.returncode, run.stderr[-300:])


def main():
    exe = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="orvane-mqtt-attack-")
    os.chmod(folder, 0o755)
    refused_before_any_display(exe, folder)
    broker = AclBroker(folder)
    programs = []
    address = "mqtt://127.0.0.1:%d/%s" % (broker.port, TOPIC)
    try:
        def start(name, args, env=None):
            e = dict(env or {}, ORVANE_INSTANCE_NAME="orvane-attack-%s-%d" % (name, os.getpid()))
            p = Program(exe, args=["--no-splash", *args], env_extra=e)
            programs.append(p)
            return p

        leader = start("leader", ["--own-clock", "--publish", address, "--mqtt-credentials",
                                  credentials(folder, "leader", USERS["leader"])])
        leader.drive("click frmOrvane.cmdAccess", timeout=15)
        leader.drive("set frmOrvane.lblTarget.Caption " + launch_caption(15 * 60))
        follower = start("follower", ["--follow", address, "--mqtt-credentials",
                                      credentials(folder, "follower", USERS["follower"])])
        following = "Following 127.0.0.1:%d/%s" % (broker.port, TOPIC)
        wait_for("the follower to follow", lambda: status(follower) == following, timeout=15)
        # Followers that cannot reach their leader, started now to meet them at the end.
        wrong = credentials(folder, "follower-wrong", "no go")
        faulty = {
            "certificate is not trusted": start("untrusted", [
                "--follow", "mqtts://127.0.0.1:%d/%s" % (broker.tls_port, TOPIC)]),
            "does not speak TLS": start("plain", [
                "--follow", "mqtts://127.0.0.1:%d/%s" % (broker.port, TOPIC)]),
            "not authorised": start("wrong", ["--follow", address, "--mqtt-credentials", wrong]),
            "refused the connection": start("refused", [
                "--follow", "mqtt://127.0.0.1:%d/%s" % (free_port(), TOPIC)]),
        }
        closed_port = free_port()
        closed = "mqtt://127.0.0.1:%d/%s" % (closed_port, TOPIC)
        unheard = start("unheard", ["--own-clock", "--publish", closed])

        # The flood: the follower answers throughout and ends on its last word.
        journal_before = journal_bytes(follower)
        memory = MemoryWatch(follower.proc.pid)
        last = flood(broker, leaders_word(broker))
        status(follower)  # it answers
        wait_for("the follower to take the flood's last word",
                 lambda: follower.state()["launch_time_ms"] == last["launch_time_ms"] and
                 not follower.state()["holding"], timeout=5)
        grown = journal_bytes(follower) - journal_before
        assert grown < JOURNAL_GROWTH_BOUND, "the journal grew %d bytes" % grown
        print("follower's journal grew %d bytes in the flood" % grown)

        # The real leader's next word is obeyed, and two leaders are warned of.
        leader.drive("click frmOrvane.mnuHoldEnable")
        leader.drive("click frmOrvane.cmdHoldResume")
        wait_for("the follower to hold with the real leader",
                 lambda: follower.state()["holding"], timeout=5)
        assert status(follower) == "Two leaders publish on " + TOPIC, status(follower)

        # One 50 MB message: dropped unread.
        subprocess.run(["nice", "-n", "10", *broker.client("mosquitto_pub", "leader", "-s")],
                       input=b"{\"name\":\"" + b"x" * 50_000_000 + b"\"}", check=True,
                       timeout=60)
        wait_for("the follower to say it could not read it", lambda: status(follower) ==
                 "A message on %s could not be read: it is larger than 64 KiB" % TOPIC,
                 timeout=10)
        peak = memory.check(MEMORY_BOUND_MIB)
        print("follower's peak memory: %d MiB" % (peak // 1024))

        # The follower's user may not publish on the topic: what the broker keeps for
        # whoever subscribes next is still the leader's word.
        subprocess.run(broker.client("mosquitto_pub", "follower", "-q", "1", "-r", "-m",
                                     "forged"), check=True, timeout=10)
        assert leaders_word(broker)["run"] == last["run"], "the follower's user published"

        for words, program in faulty.items():
            wait_for("a follower to say: " + words,
                     lambda p=program, w=words: status(p).startswith("Leader not heard yet: ")
                     and w in status(p), timeout=15)
            # Its remote displays show no count of its own either, only why.
            assert words in program.state().get("not_heard", ""), program.state()
        # A leader's Remote Displays dialog tells whether its broker is reached.
        for program, text in [
                (leader, "Publishing to %s: connected to the broker." % address),
                (unheard, "Publishing to %s: the broker cannot be reached: The broker at "
                 "127.0.0.1:%d refused the connection." % (closed, closed_port))]:
            program.drive("click frmOrvane.mnuRemoteDisplays")
            caption = "frmRemoteDisplays.lblPublishing.Caption"
            wait_for("the dialog to say: " + text, lambda p=program: get(p, caption) == text,
                     timeout=10)
        print("mqtt attacks: bounded, warned and refused")
    finally:
        for p in programs:
            p.kill()
        broker.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
