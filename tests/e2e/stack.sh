#!/usr/bin/env bash
# The window stack through the real windows: during a rename the pick bar's handle pulls the bar and the
# monitor with the real pointer, a click on the monitor gives the rename window the focus, closing the
# rename window puts the browser on the monitor's place, and a click on the selection window brings up
# the browser from under another application's window.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM SCRATCH" "$@"
shots="$SCRATCH/stack/screenshots"
mkdir -p "$shots"

command -v xmessage >/dev/null 2>&1 || fail "xmessage is not installed (x11-utils)"

home="$work/heim"
mkdir -p "$home" && for name in eins zwei drei; do echo "$name" >"$home/$name.txt"; done
browser=$(basename "$home")
other_pid=''

stop_other() {
    [ -n "$other_pid" ] && kill "$other_pid" 2>/dev/null && wait "$other_pid" 2>/dev/null
    other_pid=''
}
trap 'stop_other; e2e_cleanup' EXIT

active_is() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$(window_named "$1")" ]; }
# Whether window A lies above window B in the window manager's stacking order (bottom to top).
above() {
    local a b id list=
    a=$(window_named "$1") b=$(window_named "$2")
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); do list+=" $((id)) "; done
    [ -n "$a" ] && [ -n "$b" ] && [[ $list == *" $b "*" $a "* ]]
}
# Another application's window over the screen rows y .. y + h.
cover() {
    stop_other
    xmessage -geometry "1024x$2+0+$1" -title Fremd "Ein anderes Programm" >/dev/null 2>&1 &
    other_pid=$!
    wait_for 10 window_shown Fremd || fail "the other application's window did not appear"
    xdotool windowactivate --sync "$(window_named Fremd)" >/dev/null 2>&1
    wait_for 5 active_is Fremd || fail "the other application's window did not become active"
}
place_of() {
    geometry_of "$1"
    echo "$WY,$WH"
}

e2e_start_x
e2e_start "$home"

# --- Step 1, and the selection handle pulls the bar up so that the browser gets its height.
open_browser "$browser"

# --- All files of the home folder selected in the browser, taken over, marked, handed to renaming.
geometry_of "$browser"
xdotool mousemove $((WX + WW / 2)) $((WY + WH - 15)) click 1
sleep 0.3
xdotool key ctrl+a
sleep 1.5
click_in Tausch2 85 288 # Dateien in rechte Liste übernehmen
to_rename_window
wait_for 5 window_shown Tausch4 || fail "no progress monitor"
wait_for 5 window_gone "$browser" || fail "the browser stayed visible"
shot 2-rename-phase

# --- The rename handle: the bar keeps 10 pixels above the pointer, the monitor begins 20 pixels below
# the bar's top and ends 3 pixels above the rename window (at 256); nothing moves within 20 pixels of it.
geometry_of Tausch1
xdotool mousemove $((WX + WW / 2)) $((WY + 10)) mousedown 1
for y in 90 140 200; do xdotool mousemove 512 "$y"; sleep 0.15; done
sleep 0.3
[ "$(place_of Tausch1)" = "190,23" ] || fail "pick bar at $(place_of Tausch1) after the drag to 200"
[ "$(place_of Tausch4)" = "210,43" ] || fail "monitor at $(place_of Tausch4) after the drag to 200"
xdotool mousemove 512 300
sleep 0.3
[ "$(place_of Tausch1)" = "190,23" ] || fail "pick bar moved to $(place_of Tausch1) past the rename window"
shot 3-handle-at-limit
for y in 240 180 150; do xdotool mousemove 512 "$y"; sleep 0.15; done
xdotool mouseup 1
sleep 0.5
[ "$(place_of Tausch1)" = "140,23" ] || fail "pick bar at $(place_of Tausch1) after the drag to 150"
[ "$(place_of Tausch4)" = "160,93" ] || fail "monitor at $(place_of Tausch4) after the drag to 150"
geometry_of Tausch3
[ "$WY" = 256 ] || fail "the rename window moved to $WY"
wait_for 5 active_is Tausch3 || fail "releasing the handle did not give the rename window the focus"
shot 4-handle-dragged

# --- A click on the monitor, while another application is active, ends with the rename window active.
cover 600 100
click_in Tausch4 700 60
wait_for 5 active_is Tausch3 || fail "after a click on the monitor $(xdotool getactivewindow getwindowname) is active"
shot 5-monitor-clicked
stop_other

# --- Closing the rename window: the browser on the monitor's place, the selection handle back.
click_in Tausch3 914 338 # Abbrechen
wait_for 10 window_gone Tausch3 || fail "the rename window did not close"
wait_for 10 window_shown Tausch2 || fail "the selection window did not come back"
wait_for 5 window_shown "$browser" || fail "the browser did not come back"
sleep 0.5
[ "$(place_of "$browser")" = "160,93" ] || fail "browser at $(place_of "$browser"), expected the monitor's 160,93"
shot 6-rename-closed

# --- Another application covers the browser; a click on the selection window brings the browser up
# and leaves the selection window active.
cover 170 60
above Fremd "$browser" || fail "the other application's window does not cover the browser"
shot 7-browser-covered
click_in Tausch2 250 200 # an empty place in the left list
wait_for 5 above "$browser" Fremd || fail "the browser stayed under the other application's window"
wait_for 5 active_is Tausch2 || fail "after the click $(xdotool getactivewindow getwindowname) is active"
shot 8-browser-raised
stop_other
quit_from_selection
echo "PASS"
