#!/usr/bin/env bash
# The undo through the real windows: a day's session of renamed, copied and moved files is in the
# journal; "Verwaltung" opens the undo window, real clicks and keys choose the journal, the program
# start and the session, "Betrachten" writes the page and hands it to the system's opener, and the undo
# with Yes puts every file back and takes the journal with its only session away.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM SETUP SCRATCH" "$@"

# The system's opener is a stand-in that only notes what it was asked to open.
mkdir -p "$work/bin" "$work/home"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

# --- The day's work, done before the program starts: two renames, a copy and a move, one session.
folder="$work/program"
daten="$work/daten"
mkdir -p "$folder"
journal=$("$SETUP" "$folder" "$daten") || fail "the session could not be prepared"
[ -f "$journal" ] || fail "no journal $journal"
[ -f "$daten/a/Urlaub_01.txt" ] && [ -f "$daten/b/Urlaub_03.txt" ] && [ -f "$daten/b/Urlaub_04.txt" ] ||
    fail "the prepared files are not where the session put them"

e2e_start_x
e2e_start "$work/home"

# --- "Verwaltung" opens the undo window (that a second press loads none is the Start gtest's).
open_undo_window
geometry_of "$undo"
[ "$WW" = 591 ] && [ "$WH" = 152 ] || fail "undo window is ${WW}x${WH}, expected 591x152"
xdotool windowmove "$(window_named "$undo")" 420 520
sleep 0.5

# --- The journal in File1 (288, 10, 291 x 26), then program start and session: a click opens each
# combo box's list, Down and Return choose its first entry.
click_at "$undo" 400 22
sleep 0.5
# Text1 (288, 92, 291 x 19) is blank until a session is chosen.
text1() {
    geometry_of "$undo"
    brightness $((WX + 292)) $((WY + 94)) 200 15
}
leer=$(text1)
for y in 50 76; do
    click_at "$undo" 430 "$y"
    sleep 0.5
    xdotool key Down Return
    sleep 0.5
done
shot undo-chosen
awk -v a="$leer" -v b="$(text1)" 'BEGIN { exit !(b < a - 0.01) }' || fail "Text1 shows no pattern after choosing"

# --- "Betrachten" (8, 122, 185 x 25): the page is written and handed to the opener; nothing is asked.
click_at "$undo" 100 134
wait_for 10 test -s "$work/opened" || fail "the page was not handed to the system's opener"
grep -qx "file://$folder/versionen.html" "$work/opened" || grep -qx "$folder/versionen.html" "$work/opened" ||
    fail "the opener was asked for: $(cat "$work/opened")"
# Its bytes (mark, CR LF, escapes) are the undo gtest's: here, that it is this session's page.
grep -q 'zwei &lt;&amp;&gt;.txt' "$folder/versionen.html" || fail "the page does not show the escaped name"
cp "$folder/versionen.html" "$shots/undo-versionen.html"
window_shown Tauschwerk && fail "'Betrachten' showed a message"

# --- "Aktionen rückgangig machen" (200, 122, 185 x 25), Yes, then the final message.
click_at "$undo" 292 134
answer_message 10 "no question before the undo" undo-question
sleep 1
answer_message 10 "no message after the undo" undo-done
wait_for 10 window_gone Tauschwerk || fail "the message did not close"

a=$(cd "$daten/a" && LC_ALL=C ls -A | tr '\n' '|')
[ "$a" = 'drei.txt|eins.txt|vier.txt|zwei <&>.txt|' ] || fail "files in a: $a"
[ -z "$(ls -A "$daten/b")" ] || fail "the copy or the moved file is still in b: $(ls -A "$daten/b" | tr '\n' ' ')"
[ ! -e "$journal" ] || fail "the journal with its only session is still there"
[ -z "$(ls -A "$folder" | grep -v -e '^tauschwerk$' -e '^Tauschwerk.html$' -e '^versionen.html$')" ] ||
    fail "left in the program folder: $(ls -A "$folder" | tr '\n' ' ')"

# --- "Abbrechen" closes the undo window; closing the start window ends the program.
click_at "$undo" 490 134
wait_for 10 window_gone "$undo" || fail "'Abbrechen' did not close the undo window"
e2e_quit_via "$start"
echo "PASS"
