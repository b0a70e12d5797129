#!/usr/bin/env bash
# Starts the real program under an X server of its own with a window manager, and drives the start
# window with real pointer and key input.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM SCRATCH" "$@"

e2e_start_x
e2e_start_program "$work/home"
before=$(ls -A "$folder")
wait_for 30 window_shown "$start" || fail "no window titled '$start' appeared"

# --- Client size at 96 DPI: 4680 x 3450 twips.
geometry_of "$start"
[ "$WW" = 312 ] && [ "$WH" = 230 ] || fail "start window is ${WW}x${WH}, expected 312x230"
shot start-window

# --- A real click on "Verwaltung" opens the undo window once; "Abbrechen" closes it.
click_in "$start" 155 102
wait_for 10 window_shown "$undo" || fail "clicking 'Verwaltung' opened no undo window"
xdotool windowactivate --sync "$(window_named "$start")" >/dev/null 2>&1
click_in "$start" 155 102
sleep 0.5
[ "$(xdotool search --onlyvisible --name "^$undo\$" | wc -l)" = 1 ] || fail "a second press opened a second window"
shot undo-window
xdotool windowactivate --sync "$(window_named "$undo")" >/dev/null 2>&1
geometry_of "$undo"
click_in "$undo" $((WW - 100)) $((WH - 18))
wait_for 10 window_gone "$undo" || fail "'Abbrechen' did not close the undo window"

e2e_quit_via "$start"

# Starting and clicking wrote nothing into the program folder.
after=$(ls -A "$folder")
[ "$before" = "$after" ] || fail "the program folder changed: $(echo "$after" | tr '\n' ' ')"
echo "PASS"
