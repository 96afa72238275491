#!/usr/bin/env bash
# The count presented to a room and windows that stay where they are put, through the real
# windows of an installed Orvane on a 3840x2160 screen under openbox, with real X input: F11
# presents the count, whose digits are measured from the screen's pixels, and Esc leaves it
# without a word about exiting; the full screen moved by the user comes back where it was put
# after two switches and after a restart.
#   present_journey.sh BUILD_FOLDER OUTPUT_FOLDER     (run inside scripts/xvfb-run-test)
set -Eeuo pipefail
trap 'fail "stopped at line $LINENO: $BASH_COMMAND"' ERR

build=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/journey/x_user.sh
. "$here/x_user.sh"

[ -n "${DISPLAY:-}" ] || fail "no X display; run this through scripts/xvfb-run-test"
mkdir -p "$out"
rm -f "$out"/journey-present-*.png

begin_journey present journey-present

start_program() {
    (cd "$work" && exec "$prefix/bin/orvane") >>"$out/journey-present-program.log" 2>&1 &
    program=$!
    main=$(wait_window "Mission Elapsed Time")
    wait_for "the splash" 10 program_shows_windows 2
    wait_for "the splash to close" 10 program_shows_windows 1
}

# Where a window's inside stands on the screen, as X,Y.
place_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 }
        END { print x "," y }'
}

full_screen() {
    local compact
    compact=$(window_size "$main")
    click "$main" 8 30 2
    wait_for "the full screen" 10 window_grew "$main" "$compact"
}

compact_screen() {
    local full
    full=$(window_size "$main")
    click "$main" 8 30 2
    wait_for "the compact screen" 10 window_shrank "$main" "$full"
}

# Whether the window stands at X,Y.
place_is() {
    [ "$(place_of "$1")" = "$2" ]
}

# Whether the program's settings file holds other window places than BEFORE: a move it
# remembered.
places_changed() {
    [ "$(places)" != "$1" ]
}
places() {
    sed -n '/^\[Window%20Places\]/,/^\[/p' "$XDG_CONFIG_HOME/Orvane/orvane.ini" 2>/dev/null || true
}

# The extent WxH of the dark pixels in the presented count's middle band: its digits.
digits_ink() {
    timeout 20 import -window "$present" -crop 3840x1426+0+432 +repage "$work/band.png"
    local ink rest
    ink=$(convert "$work/band.png" -colorspace gray -threshold 40% -negate -format '%@' info:)
    rest=${ink#*x}
    echo "${ink%%x*}x${rest%%+*}"
}

# Whether the digits span at least 85 % of the width or 60 % of the height of the screen.
digits_fill_screen() {
    local ink
    ink=$(digits_ink)
    [ "${ink%x*}" -ge $((3840 * 85 / 100)) ] || [ "${ink#*x}" -ge $((2160 * 60 / 100)) ]
}

window_shrank() {
    local now
    now=$(window_size "$1")
    [ "${now%x*}" -lt $((${2%x*} / 2)) ]
}

# --- 1. F11 in the full screen presents the count over the whole screen.
step "presenting the count"
start_program
full_screen
keys "$main" F11
present=$(wait_window "Present Count")
[ "$(window_size "$present")" = 3840x2160 ] ||
    fail "the presented count is $(window_size "$present"), not the whole 3840x2160 screen"
# The ink of the hours, minutes and seconds: the dark pixels of the screen's middle band,
# measured once the window has painted them.
wait_for "the presented digits to fill the screen" 20 digits_fill_screen
shot present-1-counting
ink=$(digits_ink)
ink_width=${ink%x*}
ink_height=${ink#*x}
step "the digits span ${ink_width}x$ink_height pixels of 3840x2160"
[ "$ink_width" -ge $((3840 * 85 / 100)) ] || [ "$ink_height" -ge $((2160 * 60 / 100)) ] ||
    fail "the digits span only ${ink_width}x$ink_height pixels of 3840x2160"

# --- 2. Esc leaves it, and only it.
step "leaving with Esc"
keys "$present" Escape
wait_gone "Present Count"
# The main window answers a switch of screens and back: by then any question the Esc had
# raised would stand on the screen.
compact_screen
full_screen
window_absent "Orvane" || fail "Esc in the presented count asked about leaving Orvane"
kill -0 "$program" || fail "Esc in the presented count ended the program"

# --- 3. The full screen, moved, comes back where it was put after two switches.
step "moving the full screen and switching twice"
before=$(places)
timeout 5 xdotool windowmove "$main" 900 700
wait_for "the moved place to be remembered" 10 places_changed "$before"
moved=$(place_of "$main")
shot present-2-moved
compact_screen
full_screen
wait_for "the full screen back where it was put ($moved)" 10 place_is "$main" "$moved"
[ "$(place_of "$main")" = "$moved" ] ||
    fail "the full screen came back at $(place_of "$main"), not where it was put ($moved)"
shot present-3-back

# --- 4. And after a restart.
step "starting again"
close_button "$main"
question=$(wait_window "Orvane")
keys "$question" alt+n
wait_for "the program to end" 20 program_ended
program=
start_program
full_screen
wait_for "the full screen where it was put ($moved) after a restart" 10 place_is "$main" "$moved"
[ "$(place_of "$main")" = "$moved" ] ||
    fail "after a restart the full screen is at $(place_of "$main"), not where it was put ($moved)"
shot present-4-restarted
close_button "$main"
question=$(wait_window "Orvane")
keys "$question" alt+n
wait_for "the program to end" 20 program_ended
program=

echo "journey: present and places passed; screenshots in $out"
