#!/usr/bin/env bash
# The real program in a real X server: it starts, closes its splash, counts, and a second copy
# started beside it says so and opens no count of its own. Screenshots go to the output folder;
# orvane_screens takes those of every other window.
#   smoke_test.sh PROGRAM OUTPUT_FOLDER       (run inside scripts/xvfb-run-test)
set -euo pipefail

program=$1
out=$2

fail() {
    echo "smoke: FAILED: $*" >&2
    for log in "$out"/smoke-first.log "$out"/smoke-second.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "no X display; run this through scripts/xvfb-run-test"
[ -x "$program" ] || fail "no program at $program"
command -v import >/dev/null 2>&1 || fail "ImageMagick's import is not installed (Debian package imagemagick)"
command -v xdotool >/dev/null 2>&1 || fail "xdotool is not installed (Debian package xdotool)"
mkdir -p "$out"
rm -f "$out"/smoke-*.png "$out"/smoke-*.log

# A home, settings store and instance name of the test's own, so a copy the developer runs is
# neither disturbed nor mistaken for the first copy here.
home=$(mktemp -d "${TMPDIR:-/tmp}/orvane-smoke.XXXXXX")
mkdir -p "$home/config" "$home/runtime"
chmod 700 "$home/runtime"
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime
export ORVANE_INSTANCE_NAME="orvane-smoke-$$-$RANDOM"
export QT_QPA_PLATFORM=xcb

first=
second=
cleanup() {
    for pid in $second $first; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$home"
}
trap cleanup EXIT

# How many top-level windows carry this title, or "?" without xwininfo.
windows_titled() {
    if command -v xwininfo >/dev/null 2>&1; then
        timeout 10 xwininfo -root -tree | grep -c "\"$1\":" || true
    else
        echo "?"
    fi
}

shoot() {
    timeout 15 import -window root "$out/$1" || fail "could not take the screenshot $1"
}

# Whether one of the program's windows titled TITLE is on the screen (a whole window, not one
# of Qt's 1 x 1 helpers). The splash has the program's name for its title (only in the newer
# title property, which xdotool's getwindowname reads), and so has a message box.
shows() {
    local w
    for w in $(timeout 5 xdotool search --onlyvisible --class '^orvane$' 2>/dev/null); do
        [ "$(timeout 5 xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] || continue
        timeout 5 xdotool getwindowgeometry "$w" 2>/dev/null | grep 'Geometry: 1x1$' >/dev/null ||
            return 0
    done
    return 1
}

# (A grep at the end of a pipe reads it to the end, never -q: under pipefail one that stops at
# its first match fails the pipe with the writer's SIGPIPE.)

# Waits until the command succeeds, for at most SECONDS, while the first copy runs.
wait_until() {
    local what=$1 limit=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@"; do
        kill -0 "$first" 2>/dev/null || fail "the program ended by itself before $what"
        [ "$SECONDS" -lt "$end" ] || fail "no $what within $limit s"
        sleep 0.1
    done
}

timeout 55 "$program" >"$out/smoke-first.log" 2>&1 &
first=$!
# The splash stands over the main window for 3 s; the main window waits behind it, drawn as
# it will be once the splash has gone. Then the compact count runs on its own.
wait_until "splash" 20 shows Orvane
shoot smoke-splash.png
# The compact count alone on the screen, in its light red or green.
count_alone() {
    ! shows Orvane && shows "Mission Elapsed Time" || return 1
    shoot smoke-compact.png
    [ "$(identify -format %k "$out/smoke-compact.png")" -ge 10 ] &&
        convert "$out/smoke-compact.png" -format %c histogram:info:- |
        grep -i -E '#FF8080|#00C000' >/dev/null
}
wait_until "compact count in its colour, without the splash" 20 count_alone
count=$(windows_titled "Mission Elapsed Time")
[ "$count" = "?" ] || [ "$count" -eq 1 ] || fail "expected one main window, found $count"

# The second copy, asked to open a file, stops at its "already running" message and never
# makes a main window; once the message is answered it says the file was not opened.
timeout 20 "$program" "$home/other.ovx" >"$out/smoke-second.log" 2>&1 &
second=$!
second_says() { kill -0 "$second" 2>/dev/null && shows Orvane; }
wait_until "message from the second copy" 15 second_says
shoot smoke-second-copy.png
count=$(windows_titled "Mission Elapsed Time")
[ "$count" = "?" ] || [ "$count" -eq 1 ] || fail "the second copy opened a main window ($count in all)"
if command -v xwininfo >/dev/null 2>&1; then
    # Its message box is titled with the program's name; Qt's own 1 x 1 helper windows are not.
    timeout 10 xwininfo -root -tree | grep '"Orvane":' | grep -v ' 1x1+' >/dev/null ||
        fail "the second copy showed no message"
fi
box=
for w in $(timeout 5 xdotool search --onlyvisible --class '^orvane$' 2>/dev/null); do
    [ "$(timeout 5 xdotool getwindowname "$w" 2>/dev/null)" = Orvane ] && box=$w
done
# No window manager runs here, so the box gets the keyboard straight from the server.
[ -n "$box" ] && timeout 5 xdotool windowfocus --sync "$box" key Return || true
second_ended() { ! kill -0 "$second" 2>/dev/null; }
wait_until "end of the second copy after its message" 10 second_ended
wait "$second" || fail "the second copy failed"
grep -qF "$home/other.ovx was not opened: Orvane is already running on this computer." \
    "$out/smoke-second.log" ||
    fail "the second copy did not say on standard error that the file was not opened"
second=

kill -0 "$first" 2>/dev/null || fail "the first copy ended while the second started"
[ "$count" = "?" ] && echo "smoke: xwininfo missing, window counts not checked"
echo "smoke: passed; screenshots in $out"
