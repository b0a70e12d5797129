# Shared by the end-to-end tests: an X server of their own with a window manager, the real program run
# from a copy in a temporary program folder, and helpers to find, click and look at its windows.
#
# A test is called with the program first and its scratch folder last, sources this file, then calls
# e2e_start. Exit 0 on success, 77 when Xvfb, xdotool or openbox is missing, 1 on a failure.
set -uo pipefail
PROGRAM=${1:?usage: $(basename "$0") PROGRAM ... SCRATCH_FOLDER}
SCRATCH=${!#}
start='Tauschwerk © TW-Team'

for tool in Xvfb xdotool openbox xprop xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed" && exit 77; }
done

e2e_xvfb_pid='' e2e_wm_pid='' app_pid='' other_pid=''
mkdir -p "$SCRATCH"
work=$(mktemp -d "$SCRATCH/run.XXXXXX")
shots="$SCRATCH/screenshots"
mkdir -p "$shots"

e2e_cleanup() {
    local pid
    for pid in "$other_pid" "$app_pid" "$e2e_wm_pid" "$e2e_xvfb_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap e2e_cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    shot failure
    [ -s "$work/program.log" ] && echo "--- program output ---" && cat "$work/program.log"
    exit 1
}

# Polls a command every 0.2 s until it succeeds or the seconds run out.
wait_for() {
    local tries=$(($1 * 5))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1)) && [ "$tries" -gt 0 ] || return 1
        sleep 0.2
    done
}

e2e_start_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    e2e_xvfb_pid=$!
    wait_for 20 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    e2e_wm_pid=$!
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
    wait_for 20 wm_ready || fail "openbox did not start: $(cat "$work/openbox.log")"
}

# Starts the X server, copies the program and its user guide into the program folder and starts it
# there with HOME as given (the browser starts in the home folder), and waits for the start window.
e2e_start() {
    local home=$1
    e2e_start_x
    folder="$work/program"
    mkdir -p "$folder" "$home"
    cp "$PROGRAM" "$folder/tauschwerk" || fail "cannot copy $PROGRAM"
    [ -f "$(dirname "$PROGRAM")/Tauschwerk.html" ] && cp "$(dirname "$PROGRAM")/Tauschwerk.html" "$folder/"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp:print_suppressions=0}"
    HOME="$home" QT_QPA_PLATFORM=xcb "$folder/tauschwerk" >"$work/program.log" 2>&1 &
    app_pid=$!
    wait_for 30 window_shown "$start" || fail "the start window did not appear"
}

# The visible window with exactly this title.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_named "$1")" ]; }
window_gone() { [ -z "$(window_named "$1")" ]; }

# Sets WX, WY, WW, WH to a window's place and size.
# xwininfo gives the client area's true screen place also under a reparenting window manager.
geometry_of() {
    local id
    id=$(window_named "$1")
    [ -n "$id" ] || fail "no window '$1'"
    eval "$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { print "WX=" $NF } /Absolute upper-left Y/ {
        print "WY=" $NF } /^ *Width:/ { print "WW=" $NF } /^ *Height:/ { print "WH=" $NF }')"
}
# Expects a window's top and height.
place_is() {
    geometry_of "$1"
    [ "$WY,$WH" = "$2" ] || fail "$1 at $WY with height $WH, expected $2"
}
active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(window_named "$1")" ]; }
# Whether window A lies above window B in the window manager's stacking order (bottom to top).
above() {
    local list a b id i=0 pa=-1 pb=-1
    list=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g')
    a=$(window_named "$1") b=$(window_named "$2")
    for id in $list; do
        [ "$((id))" = "$a" ] && pa=$i
        [ "$((id))" = "$b" ] && pb=$i
        i=$((i + 1))
    done
    [ "$pa" -ge 0 ] && [ "$pb" -ge 0 ] && [ "$pa" -gt "$pb" ]
}
# Another application's window over the screen rows y .. y + h, active; cover_end takes it away.
cover() {
    cover_end
    command -v xmessage >/dev/null 2>&1 || fail "xmessage is not installed (x11-utils)"
    xmessage -geometry "1024x$2+0+$1" -title Fremd "Ein anderes Programm" >/dev/null 2>&1 &
    other_pid=$!
    wait_for 10 window_shown Fremd || fail "the other application's window did not appear"
    xdotool windowactivate --sync "$(window_named Fremd)" >/dev/null 2>&1
    wait_for 5 active_is Fremd || fail "the other application's window did not become active"
}
cover_end() {
    [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null && wait "$other_pid" 2>/dev/null
    other_pid=''
}

# Clicks at a point given in pixels inside a window.
click_in() {
    geometry_of "$1"
    xdotool mousemove $((WX + $2)) $((WY + $3)) click 1
    sleep 0.3
}

shot() { import -window root "$shots/$1.png" 2>/dev/null; }

# The mean brightness (0..1) of a screen region: an empty white list is 1.
brightness() {
    import -window root "$work/probe.png" 2>/dev/null
    convert "$work/probe.png" -crop "$3x$4+$1+$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}
not_blank() { awk -v b="$(brightness "$@")" 'BEGIN { exit !(b < 0.995) }'; }

# Closes a window with Alt+F4 through the window manager and expects the program to end by itself.
e2e_quit_via() {
    xdotool windowactivate --sync "$(window_named "$1")" >/dev/null 2>&1
    xdotool key alt+F4
    ended() { ! kill -0 "$app_pid" 2>/dev/null; }
    wait_for 10 ended || fail "the program still runs after its last window closed"
    wait "$app_pid"
    local status=$?
    app_pid=''
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
