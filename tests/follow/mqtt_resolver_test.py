"""Name lookups that fail or never answer, through a resolver double: the program runs in a
mount namespace of its own (unshare -m) whose /etc/resolv.conf names a DNS double on
127.0.0.1, which answers "no such name" for nowhere.invalid and never answers anything else.

  - a follower of nowhere.invalid says "The name nowhere.invalid was not found";
  - a leader publishing to a name never answered unticks Publish and goes on answering, and
    both it and a follower of that name end when asked, the lookup still under way.

Needs root (the double listens on port 53 and the namespace mounts over /etc/resolv.conf);
skipped (status 77) otherwise. Loopback only; every wait is bounded.
"""
import os
import shutil
import socket
import struct
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
from mqtt_test import get, status  # noqa: E402
from orvane_remote import Program, wait_for  # noqa: E402

SKIP = 77


class ResolverDouble:
    """UDP on 127.0.0.1:53: NXDOMAIN for nowhere.invalid, silence for the rest."""

    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind(("127.0.0.1", 53))
        self.sock.settimeout(0.2)
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            try:
                query, peer = self.sock.recvfrom(512)
            except socket.timeout:
                continue
            if len(query) < 12 or b"\x07nowhere\x07invalid\x00" not in query:
                continue
            ident = query[:2]
            header = ident + struct.pack(">HHHHH", 0x8183, 1, 0, 0, 0)
            self.sock.sendto(header + query[12:], peer)

    def close(self):
        self.running = False
        self.thread.join(timeout=5)
        self.sock.close()


def main():
    exe = os.path.abspath(sys.argv[1])
    if os.geteuid() != 0 or not shutil.which("unshare"):
        print("skipped: needs root and unshare")
        return SKIP
    folder = tempfile.mkdtemp(prefix="orvane-resolver-")
    os.chmod(folder, 0o755)
    resolv = os.path.join(folder, "resolv.conf")
    with open(resolv, "w") as f:
        f.write("nameserver 127.0.0.1\noptions timeout:10 attempts:3\n")
    wrapper = os.path.join(folder, "orvane")
    with open(wrapper, "w") as f:
        f.write("#!/bin/sh\nexec unshare -m sh -c 'mount --bind \"$0\" /etc/resolv.conf && "
                "exec \"$@\"' %s %s \"$@\"\n" % (resolv, exe))
    os.chmod(wrapper, 0o755)
    resolver = ResolverDouble()
    programs = []
    try:
        def start(name, args):
            p = Program(wrapper, args=["--no-splash", *args],
                        env_extra={"ORVANE_INSTANCE_NAME": "orvane-resolver-%s-%d" % (
                            name, os.getpid())})
            programs.append(p)
            return p

        missing = start("missing", ["--follow", "mqtt://nowhere.invalid/mission"])
        silent = start("silent", ["--follow", "mqtt://silent.example/mission"])
        leader = start("leader", ["--own-clock", "--publish", "mqtt://silent.example/mission"])
        wait_for("the follower to say the name was not found",
                 lambda: status(missing) ==
                 "Leader not heard yet: The name nowhere.invalid was not found", timeout=15)
        # Unticking Publish while the lookup hangs: the leader answers on.
        leader.drive("click frmOrvane.mnuRemoteDisplays")
        leader.drive("click frmRemoteDisplays.chkPublish")
        assert get(leader, "frmRemoteDisplays.chkPublish.Value") == "0"
        # Each ends when asked, within the bounded wait of stop(), lookups still under way.
        for p in (silent, leader, missing):
            p.stop()
            programs.remove(p)
        print("mqtt resolver: a missing name said, a silent one never held anything up")
        return 0
    finally:
        for p in programs:
            p.kill()
        resolver.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
