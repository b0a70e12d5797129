#!/usr/bin/env bash
# Kills the real program with SIGKILL in the middle of a rename run driven through its windows, or while
# it saves the session as its rename window closes, then starts it again: it must say in one message that
# it recovered the session, and the driver's checks must hold (every journal reads, the tree is what the
# journal says, undoing every session gives back the tree of the start). Further arguments: KILLS, FILES.
set -uo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh" "PROGRAM DRIVER SCRATCH" "$@"
KILLS=${4:-1}
FILES=${5:-1500}

e2e_start_x
recovered=0
for i in $(seq 1 "$KILLS"); do
    home="$work/home$i"
    mkdir -p "$home"
    "$DRIVER" anlegen "$home/daten" "$FILES" "$work/manifest" || fail "cannot make the data"
    rm -rf "$work/program"
    e2e_start "$home"

    # Step 1, the browser given room by the pick bar's handle, into daten/a, every file selected.
    open_browser "home$i"
    enter_folder daten
    enter_folder a
    sleep 0.5
    xdotool mousemove 300 97 click 1 key ctrl+a
    sleep 2
    click_in Tausch2 85 288 # take over
    sleep 2
    to_rename_window
    type_pattern K_
    # Alle Dateien umbennen, without the pause after a click: the run is under way at once.
    geometry_of Tausch3
    xdotool mousemove $((WX + 712)) $((WY + 338)) click 1

    if [ $((i % 2)) -eq 1 ]; then
        # In the run, once a random number of files has its new name.
        ziel=$((RANDOM % (FILES - 1) + 1))
        for _ in $(seq 6000); do
            [ "$(find "$home/daten/a" -name 'K_*' | wc -l)" -ge "$ziel" ] && break
            sleep 0.01
        done
        wo="run, file $ziel"
    else
        # While the closing window saves the session.
        answer_message 60 "no message at the end of the run"
        sleep "$(awk -v ms=$((RANDOM % 40)) 'BEGIN { printf "%.3f", ms / 1000 }')"
        wo=save
    fi
    kill -9 "$app_pid"
    wait "$app_pid" 2>/dev/null
    app_pid=''
    offen=$(find "$folder" -maxdepth 1 -name 'Sitzung_*.offen' | wc -l)

    e2e_start "$home"
    # A kill between the journal's write and the removal of the recovery file leaves a file whose session is
    # saved already; the start removes it without a message, and the check below finds the session once.
    if [ "$offen" -gt 0 ] && wait_for 10 window_shown Tauschwerk; then
        answer_message 10 "no message about the recovered session" "kill-$i-recovered"
        wait_for 5 window_gone Tauschwerk || fail "the message did not close"
        recovered=$((recovered + 1))
    fi
    [ -z "$(find "$folder" -maxdepth 1 -name 'Sitzung_*')" ] || fail "a recovery file is left: $(ls "$folder")"
    e2e_quit_via "$start"

    result=$(HOME="$home" "$DRIVER" pruefen "$folder" "$home/daten" "$work/manifest" /dev/null)
    status=$?
    echo "kill $i of the program ($wo): $(tail -n 1 <<<"$result")"
    [ "$status" -eq 0 ] || fail "$(head -n 20 <<<"$result")"
done
echo "program kills: $KILLS, sessions recovered at the next start: $recovered"
echo PASS
