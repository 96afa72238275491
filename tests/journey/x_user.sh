# What a person does at a real X display, for the journey: find windows by their titles, click,
# type, press keys, look at the colours on the screen. Every wait is bounded.

step() {
    echo "journey: $*"
}

fail() {
    echo "journey: FAILED: $*" >&2
    [ -n "${out:-}" ] && [ -d "$out" ] && import -window root "$out/journey-failed.png" 2>/dev/null
    if [ -n "${out:-}" ] && [ -s "$out/journey-program.log" ]; then
        echo "--- the program's output" >&2
        cat "$out/journey-program.log" >&2
    fi
    exit 1
}

# poll SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS; fails when it
# never did.
poll() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# wait_for WHAT SECONDS COMMAND...: runs COMMAND until it succeeds, for at most SECONDS.
wait_for() {
    local what=$1 seconds=$2
    shift 2
    poll "$seconds" "$@" || fail "waited $seconds s for $what"
}

window_manager_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Openbox is up, or the process started as wm has ended.
window_manager_settled() {
    window_manager_running || ! kill -0 "$wm" 2>/dev/null
}

# Starts openbox, logging to LOG, and waits for it; tried again should it fail to reach the
# display that has just started. Sets wm to its process.
start_window_manager() {
    local log=$1 attempt
    for attempt in 1 2 3; do
        openbox --sm-disable >>"$log" 2>&1 &
        wm=$!
        poll 10 window_manager_settled && window_manager_running && return 0
        kill "$wm" 2>/dev/null || true
        wait "$wm" 2>/dev/null || true
        wm=
    done
    fail "the window manager did not start (see $(basename "$log"))"
}

# The one visible window with this title (the whole title).
visible_window() {
    { timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n 1
}

# wait_window TITLE [OLD]: the window's id once it shows; not the window OLD, when given, so
# a second message box titled like the first is told from it.
wait_window() {
    local id=
    for _ in $(seq 100); do
        id=$(visible_window "$1")
        [ -n "$id" ] && [ "$id" != "${2:-}" ] && {
            echo "$id"
            return 0
        }
        sleep 0.1
    done
    fail "no window \"$1\" appeared"
}

wait_gone() {
    wait_for "\"$1\" to close" 10 window_absent "$1"
}

window_absent() {
    [ -z "$(visible_window "$1")" ]
}

window_size() {
    xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'
}

# A wizard page of the given size (each page is a window of its own, all titled alike); not
# the page OLD, when given, which may have the same size.
wait_page() {
    local size=$1 old=${2:-}
    for _ in $(seq 100); do
        local id
        id=$(visible_window "Event Timer Wizard")
        if [ -n "$id" ] && [ "$id" != "$old" ] && [ "$(window_size "$id")" = "$size" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no wizard page of $size appeared"
}

window_grew() {
    local now
    now=$(window_size "$1")
    [ "${now%x*}" -gt $((${2%x*} * 2)) ] && [ "${now#*x}" -gt $((${2#*x} * 3)) ]
}

# Whether the program shows exactly N windows.
program_shows_windows() {
    [ "$({ timeout 5 xdotool search --onlyvisible --pid "$program" 2>/dev/null || true; } |
        wc -l)" -eq "$1" ]
}

program_ended() {
    ! kill -0 "$program" 2>/dev/null
}

# click WINDOW X Y [COUNT]: X and Y inside the window, as its pixels lie.
click() {
    timeout 5 xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 100 1
    sleep 0.3
}

click_times() {
    timeout 20 xdotool mousemove --window "$1" "$2" "$3" click --repeat "$4" --delay 150 1
    sleep 0.3
}

# Clicks into a box, selects what it holds and types TEXT over it.
type_into() {
    click "$1" "$2" "$3"
    timeout 10 xdotool key ctrl+a type --delay 40 "$4"
    sleep 0.2
}

# Keys to a window, brought to the front first as a person would click on it.
keys() {
    local id=$1
    shift
    timeout 5 xdotool windowactivate --sync "$id" key --delay 60 "$@"
    sleep 0.3
}

# The window manager's close button on the window's frame, at the right of its title bar.
close_button() {
    local x y w h top right
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X:/ { print "x=" $4 }
        /Absolute upper-left Y:/ { print "y=" $4 } /Width:/ { print "w=" $2 }
        /Height:/ { print "h=" $2 }')"
    read -r _ right top _ < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    timeout 5 xdotool mousemove $((x + w + right - 11)) $((y - top / 2)) click 1
    sleep 0.3
}

# Whether the window shows a colour (as #RRGGBB) anywhere.
has_colour() {
    local colours
    colours=$(timeout 10 import -window "$1" png:- 2>/dev/null |
        convert png:- -format %c histogram:info:- 2>/dev/null) || return 1
    grep -qi "$2" <<<"$colours"
}

lacks_colour() {
    ! has_colour "$@"
}

# grab_area WINDOW WxH+X+Y FILE: a part of a window as the screen shows it.
grab_area() {
    timeout 10 import -window "$1" -crop "$2" +repage "$3" || fail "could not grab $2 of a window"
}

same_image() {
    [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]
}

raise() {
    timeout 5 xdotool windowactivate --sync "$1"
    sleep 0.5
}

shot() {
    timeout 15 import -window root "$out/journey-$1.png" || fail "could not take the screenshot $1"
}

# A journey's own world: a temporary folder ($work) with a home, data folders and an instance
# name of its own, so nothing of the developer's is read or written and a copy running
# elsewhere is not "this" copy; the build ($build) installed into $prefix; a window manager.
# All of it, and the program in $program, ended at exit. NAME names the folder and the
# instance, LOGS the logs written into $out.
#   begin_journey NAME LOGS
begin_journey() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/orvane-$1.XXXXXX")
    prefix=$work/prefix
    wm=
    program=
    trap end_journey EXIT
    mkdir -p "$work/home/config" "$work/home/data" "$work/home/runtime"
    chmod 700 "$work/home/runtime"
    export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
    export XDG_RUNTIME_DIR=$work/home/runtime
    export ORVANE_INSTANCE_NAME="orvane-$1-$$-$RANDOM"
    export QT_QPA_PLATFORM=xcb
    unset QT_SCALE_FACTOR

    step "installing into a temporary prefix"
    cmake --install "$build" --prefix "$prefix" >"$out/$2-install.log" 2>&1 ||
        fail "cmake --install failed (see $2-install.log)"
    start_window_manager "$out/$2-openbox.log"
}

end_journey() {
    for pid in $program $wm; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
