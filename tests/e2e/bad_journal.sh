#!/usr/bin/env bash
# A journal of today that cannot be read lies in the program folder: the start says which file, the undo
# window lists it and says why it cannot be read, and the file is never changed.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM SCRATCH" "$@"

e2e_start_x
mkdir -p "$work/program"
journal="$work/program/Sich_$(date +%d.%m.%Y).xml"
printf '<xml xmlns:rs="urn:schemas-microsoft-com:rowset"><rs:data><z:row Sitzung=' >"$journal"
sum=$(md5sum <"$journal")
e2e_start_program "$work/home"
answer_message 30 "no message about the unreadable journal" bad-journal-start
wait_for 30 window_shown "$start" || fail "no window titled '$start' appeared"

open_undo_window
click_at "$undo" 400 22
answer_message 10 "choosing the unreadable journal showed nothing" bad-journal-undo
wait_for 10 window_gone Tauschwerk || fail "the message did not close"
shot bad-journal-listed
e2e_quit_via "$start"

[ "$(md5sum <"$journal")" = "$sum" ] || fail "the unreadable journal was changed"
echo "PASS"
