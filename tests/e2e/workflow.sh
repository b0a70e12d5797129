#!/usr/bin/env bash
# The whole way through the real windows: step 1 opens the stack, the pick bar's handle gives the browser
# its height, files selected in the browser with real clicks reach the left list, the take-over fills the
# right list, the rename window renames them with a pattern typed in, the day's journal holds the session,
# and closing the windows brings the start window back. The windows carry the program's icon.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM SCRATCH" "$@"

home="$work/home"
mkdir -p "$home/urlaub"
for i in 1 2 3 4 5; do echo "Bild $i" >"$home/urlaub/IMG_000$i.jpg"; done

e2e_start_x
e2e_start "$home"
has_icon() { xprop -id "$(window_named "$1")" _NET_WM_ICON | grep -q 'Icon (64 x 64)'; }
wait_for 5 has_icon "$start" || fail "the start window shows no program icon"

# --- Step 1: pick bar over the browser, selection window below, in the 1024 x 768 frame.
step1
wait_for 5 window_gone "$start" || fail "the start window stayed visible"
geometry_of Tausch1
[ "$WX,$WY,$WW,$WH" = "0,236,1024,23" ] || fail "pick bar at $WX,$WY ${WW}x$WH"
geometry_of Tausch2
[ "$WX,$WY,$WW,$WH" = "0,256,1024,384" ] || fail "selection window at $WX,$WY ${WW}x$WH"
shot 1-step1

# --- The handle pulls the bar up; the browser fills the space down to the selection window.
pull_handle_up
sleep 0.5
geometry_of Tausch1
[ "$WY" = 50 ] || fail "the pick bar followed the pointer to $WY, expected 50"
browser=$(basename "$home")
wait_for 5 window_shown "$browser" || fail "the browser window did not appear"
geometry_of "$browser"
[ "$WY,$WH" = "70,186" ] || fail "browser at $WY with height $WH, expected 70 and 186"
shot 2-browser

# --- Real clicks in the browser: enter the folder, select the five files.
sleep 1
enter_folder urlaub
sleep 1
xdotool mousemove 300 97 click 1
xdotool keydown shift mousemove 300 169 click 1 keyup shift
sleep 1.2
# The left list (16..506, 277..486 on the screen) shows them within a second of the poll.
not_blank 20 280 480 60 || fail "the left list stayed empty after selecting in the browser"
shot 3-selected

# --- Take-over: the right list and the combo box fill.
click_in Tausch2 85 288
sleep 0.5
not_blank 516 280 470 60 || fail "the right list stayed empty after the take-over"
shot 4-taken-over

# --- Hand-over to the rename window and the monitor on the browser's place.
to_rename_window
wait_for 5 window_shown Tausch4 || fail "no progress monitor"
geometry_of Tausch4
[ "$WY,$WH" = "70,186" ] || fail "monitor at $WY with height $WH, expected the browser's place"
wait_for 5 window_gone Tausch2 || fail "the selection window stayed visible"

wait_for 5 has_icon Tausch3 || fail "the rename window shows no program icon"

# --- Pattern, old-name placeholder, a counter from 5 (the click checks "Von" before it inserts), all files.
type_pattern Urlaub_
click_in Tausch3 724 117 # Von
xdotool key ctrl+a type 5
click_in Tausch3 709 271 # Zähler 1-?
shot 5-pattern
click_in Tausch3 712 338 # Alle Dateien umbennen
wait_for 15 window_shown Tauschwerk || fail "no message at the end of the run"
shot 6-done
xdotool key Return
wait_for 10 window_gone Tausch3 || fail "the rename window did not close"
wait_for 10 window_shown Tausch2 || fail "the selection window did not come back"

files=$(LC_ALL=C ls -A "$home/urlaub" | tr '\n' ' ')
[ "$files" = "$(for i in 1 2 3 4 5; do printf 'Urlaub_IMG_000%d%02d.jpg ' $i $((i + 5)); done)" ] ||
    fail "the files were not renamed as the pattern says: $files"
journal="$folder/Sich_$(date +%d.%m.%Y).xml"
[ -f "$journal" ] || fail "no journal $journal"
[ "$(grep -o '<z:row ' "$journal" | wc -l)" = 1 ] || fail "the journal holds not exactly one session"
[ "$(grep -o 'Umbenannt' "$journal" | wc -l)" = 5 ] || fail "the session does not list five renames"
shot 7-back

quit_from_selection
echo "PASS"
