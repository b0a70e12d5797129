#!/usr/bin/env bash
# Starts the real program under an X server of its own with a window manager, and drives the start
# window with real pointer and key input.
#
# Usage: start_window.sh PROGRAM SCRATCH_FOLDER
set -uo pipefail
PROGRAM=${1:?usage: start_window.sh PROGRAM SCRATCH_FOLDER}
SCRATCH=${2:?usage: start_window.sh PROGRAM SCRATCH_FOLDER}
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

title='Tauschwerk © TW-Team'
e2e_start_x
mkdir -p "$work/home"
e2e_start_program "$work/home"
before=$(ls -A "$folder")
wait_for 30 window_shown "$title" || fail "no window titled '$title' appeared"

# --- Client size at 96 DPI: 4680 x 3450 twips.
geometry_of "$title"
[ "$WW" = 312 ] && [ "$WH" = 230 ] || fail "start window is ${WW}x${WH}, expected 312x230"
shot start-window

# --- A real click on "Verwaltung" (18, 82, 275 x 41 pixels inside the window) shows a message box.
box=''
for attempt in 1 2 3; do
    click_in "$title" 155 102
    if wait_for 10 window_shown Tauschwerk; then
        box=$(window_named Tauschwerk)
        break
    fi
    echo "no message box after click $attempt"
done
[ -n "$box" ] || fail "clicking 'Verwaltung' showed no message box titled 'Tauschwerk'"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key Return
wait_for 10 window_gone Tauschwerk || fail "Return did not close the message box"

e2e_quit_via "$title"

# Starting and clicking wrote nothing into the program folder.
after=$(ls -A "$folder")
[ "$before" = "$after" ] || fail "the program folder changed: $(echo "$after" | tr '\n' ' ')"
echo "PASS"
