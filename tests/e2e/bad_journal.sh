#!/usr/bin/env bash
# A journal of today that cannot be read lies in the program folder: the start says which file, the undo
# window lists it and says why it cannot be read, and the file is never changed.
#
# Usage: bad_journal.sh PROGRAM SCRATCH_FOLDER
set -uo pipefail
PROGRAM=${1:?usage: bad_journal.sh PROGRAM SCRATCH_FOLDER}
SCRATCH=${2:?usage: bad_journal.sh PROGRAM SCRATCH_FOLDER}
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

title='Tauschwerk © TW-Team'
e2e_start_x
mkdir -p "$work/home" "$work/program"
journal="$work/program/Sich_$(date +%d.%m.%Y).xml"
printf '<xml xmlns:rs="urn:schemas-microsoft-com:rowset"><rs:data><z:row Sitzung=' >"$journal"
sum=$(md5sum <"$journal")
e2e_start_program "$work/home"
wait_for 30 window_shown Tauschwerk || fail "no message about the unreadable journal"
shot bad-journal-start
xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
xdotool key Return
wait_for 30 window_shown "$title" || fail "no window titled '$title' appeared"

undo='Änderungen rückganig machen'
click_at "$title" 155 102
wait_for 10 window_shown "$undo" || fail "clicking 'Verwaltung' opened no undo window"
click_at "$undo" 400 22
wait_for 10 window_shown Tauschwerk || fail "choosing the unreadable journal showed nothing"
shot bad-journal-undo
xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
xdotool key Return
wait_for 10 window_gone Tauschwerk || fail "the message did not close"
shot bad-journal-listed
e2e_quit_via "$title"

[ "$(md5sum <"$journal")" = "$sum" ] || fail "the unreadable journal was changed"
echo "PASS"
