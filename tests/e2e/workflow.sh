#!/usr/bin/env bash
# The whole way through the real windows: step 1 opens the stack, the pick bar's handle gives the browser
# its height, files selected in the browser with real clicks reach the left list, the take-over fills the
# right list, the rename window opens with the monitor on the browser's place; the rename handle pulls the
# bar and the monitor with the real pointer, a click on the monitor gives the rename window the focus; the
# rename window renames the files with a pattern typed in, the day's journal holds the session, the
# browser takes the monitor's place, a click on the selection window brings up the browser from under
# another application's window, and closing the windows brings the start window back. There, at its
# fixed size, "Verwaltung" opens the undo window once; real clicks and keys choose the journal, the
# program start and the session, "Betrachten" writes the page and hands it to the system's opener, the
# undo with Yes puts every file back and takes the journal with its only session away, and nothing else
# is left in the program folder.
#
# Usage: workflow.sh PROGRAM SCRATCH_FOLDER
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

undo='Änderungen rückganig machen'
# The system's opener is a stand-in that only notes what it was asked to open.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$work/opened" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

home="$work/home"
mkdir -p "$home/urlaub"
for i in 1 2 3 4 5; do echo "Bild $i" >"$home/urlaub/IMG_000$i.jpg"; done
browser=$(basename "$home")

e2e_start "$home"

# --- Step 1: pick bar over the browser, selection window below, in the 1024 x 768 frame.
click_in "$start" 155 41
wait_for 15 window_shown Tausch2 || fail "step 1 opened no selection window"
wait_for 5 window_gone "$start" || fail "the start window stayed visible"
geometry_of Tausch1
[ "$WX,$WY,$WW,$WH" = "0,236,1024,23" ] || fail "pick bar at $WX,$WY ${WW}x$WH"
geometry_of Tausch2
[ "$WX,$WY,$WW,$WH" = "0,256,1024,384" ] || fail "selection window at $WX,$WY ${WW}x$WH"
shot 1-step1

# --- The handle pulls the bar up; the browser fills the space down to the selection window.
xdotool mousemove 512 247 mousedown 1
for y in 230 180 120 80 60; do xdotool mousemove 512 "$y"; sleep 0.1; done
xdotool mouseup 1
sleep 0.5
place_is Tausch1 50,23
wait_for 5 window_shown "$browser" || fail "the browser window did not appear"
place_is "$browser" 70,186
shot 2-browser

# --- Real clicks in the browser: enter the folder, select the five files.
sleep 1
xdotool mousemove 60 97 click --repeat 2 --delay 100 1
browser=urlaub # the browser's title is the name of the folder it shows
wait_for 5 window_shown "$browser" || fail "the double click did not enter the folder"
sleep 0.5
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
click_in Tausch2 782 265 # Alle Dateien in Liste makieren
shot 4-taken-over

# --- Hand-over to the rename window and the monitor on the browser's place.
click_in Tausch2 923 265
wait_for 10 window_shown Tausch3 || fail "no rename window"
wait_for 5 window_shown Tausch4 || fail "no progress monitor"
wait_for 5 window_gone Tausch2 || fail "the selection window stayed visible"
wait_for 5 window_gone "$browser" || fail "the browser stayed visible"
sleep 0.5
place_is Tausch4 70,186

# --- The rename handle: the bar keeps 10 pixels above the pointer, the monitor begins 20 pixels below
# the bar's top and ends 3 pixels above the rename window (at 256); nothing moves within 20 pixels of it.
geometry_of Tausch1
xdotool mousemove $((WX + WW / 2)) $((WY + 10)) mousedown 1
for y in 90 140 200; do xdotool mousemove 512 "$y"; sleep 0.15; done
sleep 0.3
place_is Tausch1 190,23
place_is Tausch4 210,43
xdotool mousemove 512 300
sleep 0.3
place_is Tausch1 190,23
shot 5-handle-at-limit
for y in 240 180 150; do xdotool mousemove 512 "$y"; sleep 0.15; done
xdotool mouseup 1
sleep 0.5
place_is Tausch1 140,23
place_is Tausch4 160,93
geometry_of Tausch3
[ "$WY" = 256 ] || fail "the rename window moved to $WY"
wait_for 5 active_is Tausch3 || fail "releasing the handle did not give the rename window the focus"

# --- A click on the monitor, while another application is active, ends with the rename window active.
cover 600 100
click_in Tausch4 700 60
wait_for 5 active_is Tausch3 || fail "after a click on the monitor $(xdotool getactivewindow getwindowname) is active"
shot 6-monitor-clicked
cover_end

# --- Pattern, old-name placeholder, counter, all files.
click_in Tausch3 400 19
xdotool type --delay 30 'Urlaub_'
click_in Tausch3 899 112 # Urspungsname eintragen
click_in Tausch3 104 338 # Alle Dateien Makieren
click_in Tausch3 709 271 # Zähler 1-?
shot 7-pattern
click_in Tausch3 712 338 # Alle Dateien umbennen
wait_for 15 window_shown Tauschwerk || fail "no message at the end of the run"
shot 8-done
xdotool key Return
wait_for 10 window_gone Tausch3 || fail "the rename window did not close"
wait_for 10 window_shown Tausch2 || fail "the selection window did not come back"
wait_for 5 window_shown "$browser" || fail "the browser did not come back"
sleep 0.5
place_is "$browser" 160,93

for i in 1 2 3 4 5; do
    [ -f "$home/urlaub/Urlaub_IMG_000$i$i.jpg" ] || fail "IMG_000$i.jpg was not renamed: $(ls "$home/urlaub" | tr '\n' ' ')"
done
[ "$(ls "$home/urlaub" | wc -l)" = 5 ] || fail "files on disk: $(ls "$home/urlaub" | tr '\n' ' ')"
journal="$folder/Sich_$(date +%d.%m.%Y).xml"
[ -f "$journal" ] || fail "no journal $journal"
[ "$(grep -o '<z:row ' "$journal" | wc -l)" = 1 ] || fail "the journal holds not exactly one session"
[ "$(grep -o 'Umbenannt' "$journal" | wc -l)" = 5 ] || fail "the session does not list five renames"

# --- Another application covers the browser; a click on the selection window brings the browser up
# and leaves the selection window active.
cover 170 60
above Fremd "$browser" || fail "the other application's window does not cover the browser"
click_in Tausch2 250 200 # an empty place in the left list
wait_for 5 above "$browser" Fremd || fail "the browser stayed under the other application's window"
wait_for 5 active_is Tausch2 || fail "after the click $(xdotool getactivewindow getwindowname) is active"
shot 9-browser-raised
cover_end

# --- Closing the selection window brings the start window back, 4680 x 3450 twips at 96 DPI.
click_in Tausch2 923 314 # Beenden
wait_for 10 window_shown "$start" || fail "the start window did not come back"
wait_for 5 window_gone Tausch1 || fail "the pick bar stayed"
geometry_of "$start"
[ "$WW,$WH" = 312,230 ] || fail "start window is ${WW}x${WH}, expected 312x230"

# --- "Verwaltung" (18, 82, 275 x 41 pixels) opens the undo window; a second press loads no second one.
click_in "$start" 155 102
wait_for 10 window_shown "$undo" || fail "'Verwaltung' opened no undo window"
geometry_of "$undo"
[ "$WW,$WH" = 591,152 ] || fail "undo window is ${WW}x${WH}, expected 591x152"
xdotool windowmove "$(window_named "$undo")" 420 520
sleep 0.5
click_in "$start" 155 102
sleep 0.5
[ "$(xdotool search --onlyvisible --name "^$undo\$" | wc -l)" = 1 ] || fail "a second undo window was loaded"

# --- The journal in File1 (288, 10, 291 x 26), then program start and session: a click opens each
# combo box's list, Down and Return choose its first entry. Text1 (288, 92, 291 x 19) is blank until then.
click_in "$undo" 400 22
sleep 0.5
text1() {
    geometry_of "$undo"
    brightness $((WX + 292)) $((WY + 94)) 200 15
}
leer=$(text1)
for y in 50 76; do
    click_in "$undo" 430 "$y"
    sleep 0.5
    xdotool key Down Return
    sleep 0.5
done
shot 10-undo-chosen
awk -v a="$leer" -v b="$(text1)" 'BEGIN { exit !(b < a - 0.01) }' || fail "Text1 shows no pattern after choosing"

# --- "Betrachten" (8, 122, 185 x 25): the page is written and handed to the opener; nothing is asked.
click_in "$undo" 100 134
wait_for 10 test -s "$work/opened" || fail "the page was not handed to the system's opener"
grep -qx -e "file://$folder/versionen.html" -e "$folder/versionen.html" "$work/opened" ||
    fail "the opener was asked for: $(cat "$work/opened")"
grep -q 'Urlaub_IMG_00055.jpg' "$folder/versionen.html" || fail "the page does not show the session"
window_shown Tauschwerk && fail "'Betrachten' showed a message"

# --- "Aktionen rückgangig machen" (200, 122, 185 x 25), Yes, then the final message.
click_in "$undo" 292 134
wait_for 10 window_shown Tauschwerk || fail "no question before the undo"
xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
xdotool key Return
sleep 1
wait_for 10 window_shown Tauschwerk || fail "no message after the undo"
shot 11-undo-done
xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
xdotool key Return
wait_for 10 window_gone Tauschwerk || fail "the message did not close"
[ "$(ls "$home/urlaub" | tr '\n' ' ')" = "IMG_0001.jpg IMG_0002.jpg IMG_0003.jpg IMG_0004.jpg IMG_0005.jpg " ] ||
    fail "files after the undo: $(ls "$home/urlaub" | tr '\n' ' ')"
[ ! -e "$journal" ] || fail "the journal with its only session is still there"
[ -z "$(ls -A "$folder" | grep -v -e '^tauschwerk$' -e '^Tauschwerk.html$' -e '^versionen.html$')" ] ||
    fail "left in the program folder: $(ls -A "$folder" | tr '\n' ' ')"

# --- "Abbrechen" closes the undo window; closing the start window ends the program.
click_in "$undo" 490 134
wait_for 10 window_gone "$undo" || fail "'Abbrechen' did not close the undo window"
e2e_quit_via "$start"
echo "PASS"
