#!/usr/bin/env bash
# Kills the real program with SIGKILL in the middle of a rename run driven through its windows, or while
# it saves the session as its rename window closes, then starts it again: it must say in one message that
# it recovered the session, and the driver's checks must hold (every journal reads, the tree is what the
# journal says, undoing every session gives back the tree of the start).
#
# Usage: kill.sh PROGRAM DRIVER SCRATCH_FOLDER [KILLS [FILES]]
set -uo pipefail
PROGRAM=${1:?usage: kill.sh PROGRAM DRIVER SCRATCH_FOLDER [KILLS [FILES]]}
DRIVER=${2:?usage: kill.sh PROGRAM DRIVER SCRATCH_FOLDER [KILLS [FILES]]}
SCRATCH=${3:?usage: kill.sh PROGRAM DRIVER SCRATCH_FOLDER [KILLS [FILES]]}
KILLS=${4:-1}
FILES=${5:-1500}
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

start='Tauschwerk © TW-Team'
e2e_start_x
recovered=0
for i in $(seq 1 "$KILLS"); do
    home="$work/home$i"
    mkdir -p "$home"
    "$DRIVER" anlegen "$home/daten" "$FILES" "$work/manifest" || fail "cannot make the data"
    rm -rf "$work/program"
    e2e_start_program "$home"
    wait_for 30 window_shown "$start" || fail "the start window did not appear"

    # Step 1, the browser given room by the pick bar's handle, into daten/a, every file selected.
    click_in "$start" 155 41
    wait_for 15 window_shown Tausch2 || fail "step 1 opened no selection window"
    xdotool mousemove 512 247 mousedown 1
    for y in 230 180 120 80 60; do xdotool mousemove 512 "$y"; sleep 0.1; done
    xdotool mouseup 1
    wait_for 5 window_shown "home$i" || fail "the browser window did not appear"
    sleep 1
    xdotool mousemove 60 97 click --repeat 2 --delay 100 1
    wait_for 5 window_shown daten || fail "the browser did not enter daten"
    sleep 0.5
    xdotool mousemove 60 97 click --repeat 2 --delay 100 1
    wait_for 5 window_shown a || fail "the browser did not enter daten/a"
    sleep 1
    xdotool mousemove 300 97 click 1 key ctrl+a
    sleep 2
    click_in Tausch2 85 288 # take over
    sleep 2
    click_in Tausch2 782 265 # mark all
    click_in Tausch2 923 265 # Dateien umschreiben
    wait_for 10 window_shown Tausch3 || fail "no rename window"
    click_in Tausch3 400 19
    xdotool type --delay 30 'K_'
    click_in Tausch3 899 112 # Urspungsname eintragen
    click_in Tausch3 104 338 # Alle Dateien Makieren
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
        wait_for 60 window_shown Tauschwerk || fail "no message at the end of the run"
        xdotool key Return
        sleep "$(awk -v ms=$((RANDOM % 40)) 'BEGIN { printf "%.3f", ms / 1000 }')"
        wo=save
    fi
    kill -9 "$app_pid"
    wait "$app_pid" 2>/dev/null
    app_pid=''
    offen=$(find "$folder" -maxdepth 1 -name 'Sitzung_*.offen' | wc -l)

    e2e_start_program "$home"
    wait_for 30 window_shown "$start" || fail "the program did not start again"
    if [ "$offen" -gt 0 ]; then
        wait_for 10 window_shown Tauschwerk || fail "no message about the recovered session"
        shot "kill-$i-recovered"
        xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
        xdotool key Return
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
