#!/usr/bin/env bash
# A user's journey through the real windows of an installed Orvane, with real X input: the
# program is installed into a temporary prefix and started from there under a small window
# manager (openbox); xdotool moves the mouse, clicks and types as a person would. State is
# read back only as a user could see it: window titles and sizes, the colours on the screen,
# and the saved launch data file. A screenshot of each step goes to the output folder.
#   journey_test.sh BUILD_FOLDER OUTPUT_FOLDER     (run inside scripts/xvfb-run-test)
set -Eeuo pipefail
trap 'fail "stopped at line $LINENO: $BASH_COMMAND"' ERR

build=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/journey/x_user.sh
. "$here/x_user.sh"

[ -n "${DISPLAY:-}" ] || fail "no X display; run this through scripts/xvfb-run-test"
for tool in openbox xdotool xwininfo xprop import convert; do
    command -v $tool >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps)"
done
mkdir -p "$out"
rm -f "$out"/journey-*.png "$out"/journey-*.log

begin_journey journey journey

start_program() {
    (cd "$work" && exec "$prefix/bin/orvane") >>"$out/journey-program.log" 2>&1 &
    program=$!
    # The splash, a window without a title, stands over the main window for three seconds,
    # and the main window refuses input until it has gone.
    main=$(wait_window "Mission Elapsed Time")
    wait_for "the splash" 10 program_shows_windows 2
    wait_for "the splash to close" 10 program_shows_windows 1
}

# The name of the first event row on the board, and the launch time on the full screen, as
# WIDTHxHEIGHT+X+Y inside their windows.
row_name=180x25+11+31
target=373x40+296+27

# The default launch data file of an installed program: in the user's data folder, never in
# the installed program's own folder.
launch_file=$XDG_DATA_HOME/Orvane/Orvane/launch.ovx

launch_file_written() {
    [ -s "$launch_file" ]
}

# --- 1. The first start: the design launch time long past, so the count is green.
step "starting the installed program"
start_program
shot 01-compact
compact=$(window_size "$main")
has_colour "$main" "#00C000" || fail "the first start does not count up on green"

# --- 2. A double click on the compact window opens the full screen.
step "double click for the full screen"
click "$main" 8 30 2
wait_for "the full screen" 10 window_grew "$main" "$compact"
shot 02-full-screen

# --- 3. A launch date and time, typed and confirmed.
step "typing a launch date and time"
launch_day=$(date -d "+2 days" +%F)
launch_date=$(date -d "$launch_day" +%m/%d/%Y)
type_into "$main" 113 179 "$launch_date"
type_into "$main" 38 280 "18"
type_into "$main" 146 280 "45"
type_into "$main" 254 280 "30"
shot 03-launch-time-typed
click "$main" 102 395
question=$(wait_window "Set Launch Time")
shot 04-launch-time-question
keys "$question" alt+y
wait_gone "Set Launch Time"
wait_for "the count before launch (light red)" 10 has_colour "$main" "#FF8080"
shot 05-launch-time-set

# --- 4. Hold enabled from the Settings menu, a hold, and a resume.
step "hold and resume"
click "$main" 69 8
sleep 0.5
shot 06-settings-menu
click "$main" 104 97
sleep 0.5
click "$main" 74 111
wait_for "the held count (yellow digits)" 10 has_colour "$main" "#FFFF00"
shot 07-held
sleep 3
click "$main" 74 111
wait_for "the count to run again" 10 lacks_colour "$main" "#FFFF00"
shot 08-resumed

# --- 5. The event timers.
step "showing the event timers"
click "$main" 216 85
board=$(wait_window "Event Timers")
shot 09-event-timers
# The first row's name as the board shows it before the event is defined.
grab_area "$board" "$row_name" "$work/row-unset.png"

# --- 6. One event through every page of the wizard.
step "adding an event through the wizard"
click "$board" 292 126
page=$(wait_page 324x260)
shot 10-wizard-number
click "$page" 40 89
keys "$page" alt+n
warning=$(wait_window "Orvane")
shot 11-wizard-erase-warning
keys "$warning" Return
page=$(wait_page 324x112)
type_into "$page" 150 47 "Fuel loading"
shot 12-wizard-name
keys "$page" alt+n
page=$(wait_page 324x164)
click "$page" 39 95
shot 13-wizard-choice-date
keys "$page" alt+n
page=$(wait_page 346x356)
shot 14-wizard-date
keys "$page" alt+b
page=$(wait_page 324x164)
click "$page" 39 73
keys "$page" alt+n
page=$(wait_page 324x164 "$page")
click "$page" 39 73
shot 15-wizard-t-minus
keys "$page" alt+n
page=$(wait_page 346x256)
click "$page" 153 141
click_times "$page" 229 141 10
shot 16-wizard-mission-time
keys "$page" alt+e
wait_gone "Event Timer Wizard"
raise "$board"
shot 17-event-added
grab_area "$board" "$row_name" "$work/row-defined.png"
same_image "$work/row-unset.png" "$work/row-defined.png" &&
    fail "the first row still shows its design name after the wizard"

# --- 7. Saved with Ctrl+S: the file holds the launch time the hold moved, and the event.
step "saving with Ctrl+S"
grab_area "$main" "$target" "$work/target-saved.png"
rm -f "$work/launch-first-save"
keys "$main" ctrl+s
wait_for "the launch data file" 10 launch_file_written
shot 18-saved
[ ! -e "$prefix/share/orvane/launch.ovx" ] || fail "the program wrote into its installed folder"
saved_date=$(date -d "$launch_day" "+%B %-d, %Y")
grep -qE "\"$saved_date   6:45:[0-9]{2} PM\"" "$launch_file" ||
    fail "the saved file does not hold the launch time $saved_date 6:45 PM: $(cat "$launch_file")"
held=$(grep -oE "\"$saved_date   6:45:[0-9]{2} PM\"" "$launch_file" | head -n 1 | grep -oE ':[0-9]{2} ' | tr -d ': ')
[ "${held#0}" -gt 30 ] || fail "the hold did not move the saved launch time past 6:45:30 PM"
grep -qF '"Fuel loading"' "$launch_file" || fail "the saved file does not hold the event's name"
grep -qE '(^|,)4200(,|$)' <(tr -d '\r' <"$launch_file") ||
    fail "the saved file does not hold the event 1 h 10 min before liftoff"
cp "$launch_file" "$work/launch-first-save"

# --- 8. Leaving through the close button, answering that there is nothing more to save.
step "leaving through the close button"
close_button "$main"
question=$(wait_window "Orvane")
shot 19-exit-question
keys "$question" alt+n
wait_for "the program to end" 20 program_ended
program=
cmp -s "$launch_file" "$work/launch-first-save" || fail "leaving without saving changed the file"

# --- 9. Started again: the launch time and the event are back.
step "starting again"
start_program
shot 20-restarted
has_colour "$main" "#FF8080" || fail "the second start does not count down to the saved launch time"
compact=$(window_size "$main")
click "$main" 8 30 2
wait_for "the full screen" 10 window_grew "$main" "$compact"
grab_area "$main" "$target" "$work/target-restarted.png"
same_image "$work/target-saved.png" "$work/target-restarted.png" ||
    fail "the launch time shown after the restart is not the one saved"
if window_absent "Event Timers"; then
    click "$main" 216 85
fi
board=$(wait_window "Event Timers")
raise "$board"
shot 21-event-back
grab_area "$board" "$row_name" "$work/row-restarted.png"
same_image "$work/row-defined.png" "$work/row-restarted.png" ||
    fail "the event's name is not back on the board after the restart"

# --- 10. Leaving again, saving on the way out.
step "leaving again, saving on the way out"
close_button "$main"
question=$(wait_window "Orvane")
keys "$question" alt+y
saved=$(wait_window "Orvane" "$question")
shot 22-exit-saved
keys "$saved" Return
wait_for "the program to end" 20 program_ended
program=
grep -qF '"Fuel loading"' "$launch_file" || fail "saving on the way out lost the event"

echo "journey: passed; screenshots in $out"
