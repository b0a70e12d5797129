#!/usr/bin/env bash
# The real program's start window: its size, and a start that writes nothing into the program folder.
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

e2e_quit_via "$start"

# Starting and clicking wrote nothing into the program folder.
after=$(ls -A "$folder")
[ "$before" = "$after" ] || fail "the program folder changed: $(echo "$after" | tr '\n' ' ')"
echo "PASS"
