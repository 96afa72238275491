#!/usr/bin/env bash
# A new user's wizard and present window through the real windows of an installed Orvane on one
# 1920x1080 screen under openbox, with real X input: Esc leaves every page of both wizards and
# the Remove Event dialog; a number typed into a time box defines the event at that time, and
# one out of range is refused; two events that both read liftoff are each picked by a click;
# the presented count holds and resumes from the keyboard and says HOLD while held.
#   wizard_journey.sh BUILD_FOLDER OUTPUT_FOLDER     (run inside scripts/xvfb-run-test)
set -Eeuo pipefail
trap 'fail "stopped at line $LINENO: $BASH_COMMAND"' ERR

build=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/journey/x_user.sh
. "$here/x_user.sh"

[ -n "${DISPLAY:-}" ] || fail "no X display; run this through scripts/xvfb-run-test"
mkdir -p "$out"
rm -f "$out"/journey-wizard-*.png

begin_journey wizard journey-wizard

launch_file=$XDG_DATA_HOME/Orvane/Orvane/launch.ovx
launch_file_written() {
    [ -s "$launch_file" ]
}

(cd "$work" && exec "$prefix/bin/orvane") >>"$out/journey-wizard-program.log" 2>&1 &
program=$!
main=$(wait_window "Mission Elapsed Time")
wait_for "the splash" 10 program_shows_windows 2
wait_for "the splash to close" 10 program_shows_windows 1
compact=$(window_size "$main")
click "$main" 8 30 2
wait_for "the full screen" 10 window_grew "$main" "$compact"
# A launch two days ahead, so that holds can be armed.
type_into "$main" 113 179 "$(date -d "+2 days" +%m/%d/%Y)"
click "$main" 102 395
keys "$(wait_window "Set Launch Time")" alt+y
wait_gone "Set Launch Time"
click "$main" 216 85
board=$(wait_window "Event Timers")

# The wizard from the board's Add Event button up to the page of SIZE, leaving the pages on
# the way with their Next (the erase question answered OK, a name typed).
open_wizard() {
    raise "$board"
    click "$board" 292 126
    wait_page 324x260
}
to_name_page() {
    local page
    page=$(open_wizard)
    keys "$page" alt+n
    keys "$(wait_window "Orvane")" Return
    wait_page 324x112
}
to_choice_page() {
    local page
    page=$(to_name_page)
    type_into "$page" 150 47 "${1:-Esc}"
    keys "$page" alt+n
    wait_page 324x164
}
esc_leaves() {
    keys "$1" Escape
    wait_gone "$2"
}

# --- 1. Esc on every page.
step "Esc on each page of the event wizard"
esc_leaves "$(open_wizard)" "Event Timer Wizard"
esc_leaves "$(to_name_page)" "Event Timer Wizard"
page=$(to_choice_page)
esc_leaves "$page" "Event Timer Wizard"
page=$(to_choice_page)
keys "$page" alt+n
esc_leaves "$(wait_page 324x164 "$page")" "Event Timer Wizard"
page=$(to_choice_page)
keys "$page" alt+n
keys "$(wait_page 324x164 "$page")" alt+n
esc_leaves "$(wait_page 346x256)" "Event Timer Wizard"
page=$(to_choice_page)
click "$page" 39 95
keys "$page" alt+n
page=$(wait_page 346x356)
shot wizard-1-date-page
esc_leaves "$page" "Event Timer Wizard"

step "Esc on both pages of the Manual Sim Time Wizard"
keys "$main" ctrl+m
esc_leaves "$(wait_window "Manual Sim Time Wizard")" "Manual Sim Time Wizard"
keys "$main" ctrl+m
sim=$(wait_window "Manual Sim Time Wizard")
keys "$sim" alt+n
sim=$(wait_window "Manual Sim Time Wizard" "$sim")
shot wizard-2-sim-time
esc_leaves "$sim" "Manual Sim Time Wizard"

# --- 2. Typed times, on events that both read liftoff, each picked by a click.
# The number page's buttons by rank: the left column, 27 pixels apart.
rank_x=55
rank_y() {
    echo $((78 + 27 * ($1 - 1)))
}
define_typed() {
    local rank=$1 name=$2 box_x=$3 typed=$4 page
    page=$(open_wizard)
    click "$page" "$rank_x" "$(rank_y "$rank")"
    shot "wizard-3-picked-$name"
    keys "$page" alt+n
    keys "$(wait_window "Orvane")" Return
    page=$(wait_page 324x112)
    type_into "$page" 150 47 "$name"
    keys "$page" alt+n
    page=$(wait_page 324x164)
    keys "$page" alt+n
    page=$(wait_page 324x164 "$page")
    keys "$page" alt+n
    page=$(wait_page 346x256)
    type_into "$page" "$box_x" 148 "$typed"
    echo "$page"
}
step "a typed second, refused out of range, then taken"
sec_x=266
min_x=196
page=$(define_typed 2 Second "$sec_x" 75)
refusal=$(wait_window "Orvane")
shot wizard-4-refused
keys "$refusal" Return
wait_gone "Orvane"
type_into "$page" "$sec_x" 148 05
shot wizard-5-typed
keys "$page" alt+e
wait_gone "Event Timer Wizard"

step "the next event at liftoff, picked by its own button, at typed minutes"
# Event 1 now stands last; events 0 and 2 still read liftoff, at ranks 1 and 2.
page=$(define_typed 2 Minutes "$min_x" 07)
keys "$page" alt+e
wait_gone "Event Timer Wizard"
raise "$board"
shot wizard-6-board

step "saving: both events kept at their typed times"
keys "$main" ctrl+s
wait_for "the launch data file" 10 launch_file_written
grep -qF '"Second"' "$launch_file" || fail "the first typed event is not saved"
grep -qF '"Minutes"' "$launch_file" || fail "the second typed event is not saved"
grep -qE '(^|,)5(,|$)' <(tr -d '\r' <"$launch_file") || fail "no event 5 s after liftoff"
grep -qE '(^|,)420(,|$)' <(tr -d '\r' <"$launch_file") || fail "no event 7 min after liftoff"

step "Esc closes Remove Event"
raise "$board"
click "$board" 292 163
esc_leaves "$(wait_window "Orvane")" "Orvane"

# --- 3. The presented count held and resumed from the keyboard.
step "presenting, holding with the keyboard, resuming"
keys "$main" F11
present=$(wait_window "Present Count")
keys "$present" ctrl+d
keys "$present" space
shot wizard-7a-present
wait_for "the held count (yellow)" 10 has_colour "$present" "#FFFF00"
shot wizard-7-present-held
keys "$present" space
wait_for "the count to run again" 10 lacks_colour "$present" "#FFFF00"
shot wizard-8-present-resumed
esc_leaves "$present" "Present Count"

close_button "$main"
keys "$(wait_window "Orvane")" alt+n
wait_for "the program to end" 20 program_ended
program=

echo "journey: wizard and present passed; screenshots in $out"
