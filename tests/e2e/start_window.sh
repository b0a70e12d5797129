#!/usr/bin/env bash
# Starts the real program under an X server of its own with a window manager, and drives the start
# window with real pointer and key input.
#
# Usage: start_window.sh PROGRAM SCRATCH_FOLDER
# Exit 0 on success, 77 when Xvfb or xdotool is missing, 1 on a failure.
set -uo pipefail

program=${1:?usage: start_window.sh PROGRAM SCRATCH_FOLDER}
scratch=${2:?usage: start_window.sh PROGRAM SCRATCH_FOLDER}

for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

title='Tauschwerk © TW-Team'
xvfb_pid='' wm_pid='' app_pid=''

mkdir -p "$scratch"
work=$(mktemp -d "$scratch/run.XXXXXX")

cleanup() {
    local pid
    for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
        [ -n "$pid" ] && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    if [ -s "$work/program.log" ]; then
        echo "--- program output ---"
        cat "$work/program.log"
    fi
    exit 1
}

# Polls a command every 0.2 s until it succeeds or the seconds run out.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 5))
    while [ "$tries" -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
        tries=$((tries - 1))
    done
    return 1
}

# --- X server on a free display; it writes the display number when it is ready to accept clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
echo "X server on $DISPLAY"

# --- Window manager: closing a window with Alt+F4 goes through it, as for a user.
command -v openbox >/dev/null 2>&1 || fail "openbox is not installed (scripts/install-deps installs it)"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
if command -v xprop >/dev/null 2>&1; then
    wait_for 20 wm_ready || fail "openbox did not start: $(cat "$work/openbox.log")"
else
    sleep 2
fi

# --- The program runs from a copy in a folder of its own, which becomes its program folder.
folder="$work/program"
mkdir "$folder"
cp "$program" "$folder/tauschwerk" || fail "cannot copy $program"
page="$(dirname "$program")/Tauschwerk.html"
[ -f "$page" ] && cp "$page" "$folder/"
before=$(ls -A "$folder")

# In a sanitizer build the system libraries' own caches are not the program's leaks.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")/.." && pwd)/lsan.supp:print_suppressions=0}"
QT_QPA_PLATFORM=xcb "$folder/tauschwerk" >"$work/program.log" 2>&1 &
app_pid=$!

find_start_window() { xdotool search --onlyvisible --name "^${title}\$" | head -n 1; }
start_window_shown() { [ -n "$(find_start_window)" ]; }
wait_for 30 start_window_shown || fail "no window titled '$title' appeared"
window=$(find_start_window)
echo "start window: $window"

# --- Client size at 96 DPI: 4680 x 3450 twips.
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 312 ] && [ "$HEIGHT" = 230 ] || fail "start window is ${WIDTH}x${HEIGHT}, expected 312x230"

# --- A real click on "Verwaltung" (18, 82, 275 x 41 pixels inside the window) shows a message box.
find_message_box() { xdotool search --onlyvisible --name '^Tauschwerk$' | head -n 1; }
message_box_shown() { [ -n "$(find_message_box)" ]; }
message_box_gone() { [ -z "$(find_message_box)" ]; }
box=''
for attempt in 1 2 3; do
    xdotool mousemove --window "$window" 155 102 click 1
    if wait_for 10 message_box_shown; then
        box=$(find_message_box)
        break
    fi
    echo "no message box after click $attempt"
done
[ -n "$box" ] || fail "clicking 'Verwaltung' showed no message box titled 'Tauschwerk'"
echo "message box: $box"

xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key Return
wait_for 10 message_box_gone || fail "Return did not close the message box"

# --- Closing the start window ends the program by itself.
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key alt+F4
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for 10 ended || fail "the program still runs after its start window was closed"
wait "$app_pid"
status=$?
app_pid=''
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# Starting and clicking wrote nothing into the program folder.
after=$(ls -A "$folder")
[ "$before" = "$after" ] || fail "the program folder changed: $(echo "$after" | tr '\n' ' ')"

echo "PASS"
