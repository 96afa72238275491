#!/usr/bin/env bash
# The real program asks the clock service, here python3-dbusmock's timedated on a private bus
# standing in for the system bus, which says the clock is not synchronised: the full screen's
# status bar shows it in amber. The machine's clock and its system bus are never touched.
#   clock_health_test.sh PROGRAM OUTPUT_FOLDER      (run inside scripts/xvfb-run-test)
set -euo pipefail

program=$1
out=$2
python=/usr/bin/python3

fail() {
    echo "clock health: FAILED: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-clock-health.XXXXXX")
[ -n "${DISPLAY:-}" ] || fail "no X display; run this through scripts/xvfb-run-test"
[ -x "$program" ] || fail "no program at $program"
for tool in import convert xdotool dbus-daemon dbus-send; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps)"
done
"$python" -c "import dbusmock" 2>/dev/null || fail "python3-dbusmock is not installed"
mkdir -p "$out"
rm -f "$out"/smoke-clock-*.png

mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export ORVANE_INSTANCE_NAME="orvane-clock-health-$$-$RANDOM"
export QT_QPA_PLATFORM=xcb

bus= mock= orvane=
cleanup() {
    exec 3>&- 2>/dev/null || true
    for pid in $orvane $mock $bus; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Waits until the command succeeds, for at most SECONDS.
wait_until() {
    local what=$1 limit=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "no $what within $limit s"
        sleep 0.1
    done
}

dbus-daemon --session --nofork --print-address=1 >"$work/bus-address" 2>"$work/bus.log" &
bus=$!
wait_until "private bus" 10 test -s "$work/bus-address"
address=$(head -n 1 "$work/bus-address")

timedated_there() {
    dbus-send --bus="$address" --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.timedate1 2>/dev/null |
        grep -q 'boolean true'
}
DBUS_SYSTEM_BUS_ADDRESS=$address DBUS_SESSION_BUS_ADDRESS=$address \
    "$python" -m dbusmock --template timedated --parameters '{"NTP": false}' >"$work/mock.log" 2>&1 &
mock=$!
wait_until "clock service on the private bus" 20 timedated_there

# The program finds "the system bus" at the private bus's address, and takes its input from
# a pipe, as a user's clicks.
mkfifo "$work/input"
DBUS_SYSTEM_BUS_ADDRESS=$address ORVANE_DRIVE_STDIN=1 \
    "$program" --no-splash <"$work/input" >"$work/orvane.log" 2>&1 &
orvane=$!
exec 3>"$work/input"
echo "click frmOrvane.cmdAccess" >&3
wait_until "full screen" 20 grep -q '^done click frmOrvane.cmdAccess' "$work/orvane.log"

# The amber of the warning (&H0000BFFF, drawn near it) over a patch of the main window.
amber_pixels() {
    convert "$1" -depth 8 txt:- |
        awk -F'[(,)]' 'NR > 1 && $3 >= 235 && $4 >= 175 && $4 <= 200 && $5 <= 20 { n++ }
                       END { exit !(n > 500) }'
}
shows_amber() {
    local window
    window=$(timeout 5 xdotool search --onlyvisible --name '^Mission Elapsed Time$' 2>/dev/null |
        head -n 1) || return 1
    [ -n "$window" ] || return 1
    timeout 15 import -window "$window" "$out/smoke-clock-not-synchronised.png" 2>/dev/null ||
        return 1
    amber_pixels "$out/smoke-clock-not-synchronised.png"
}
wait_until "amber clock warning in the status bar" 30 shows_amber
kill -0 "$orvane" 2>/dev/null || fail "the program ended by itself"
echo "clock health: passed; screenshot in $out/smoke-clock-not-synchronised.png"
