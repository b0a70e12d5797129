#!/usr/bin/env bash
# Kills the driver's real rename, copy and move runs and its journal saves with SIGKILL at random
# moments, and checks after each kill what absturz_treiber pruefen checks: every journal reads and
# holds every session reported saved, the start-up recovery folds the interrupted session in, the tree
# is what the journal says, and undoing every session gives back the tree of the start.
#
# Usage: killtest.sh DRIVER SCRATCH_FOLDER [KILLS [FILES]]
set -uo pipefail
DRIVER=${1:?usage: killtest.sh DRIVER SCRATCH_FOLDER [KILLS [FILES]]}
SCRATCH=${2:?usage: killtest.sh DRIVER SCRATCH_FOLDER [KILLS [FILES]]}
KILLS=${3:-8}
FILES=${4:-200}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -p "$SCRATCH"
work=$(mktemp -d "$SCRATCH/kill.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A fresh program folder, data tree and trash.
fail() { echo "FAIL: $*" && exit 1; }
frisch() {
    rm -rf "$work/t" && mkdir -p "$work/t/prog" "$work/t/home"
    HOME="$work/t/home" "$DRIVER" anlegen "$work/t/daten" "$FILES" "$work/t/manifest" || fail "cannot make the data"
}

# The milliseconds of a marker in the log, its n-th appearance.
zeit_von() { awk -v m="$1" -v n="$2" '$1 " " $2 == m { if (++k == n) { print $NF; exit } }' "$3"; }

# One run without a kill tells how long each phase takes here.
frisch
HOME="$work/t/home" "$DRIVER" arbeiten "$work/t/prog" "$work/t/daten" >"$work/probe.log" ||
    fail "the driver failed without a kill"
declare -A dauer
phases=(umbenennen kopieren verschieben speichern)
for p in "${phases[@]}"; do
    von=$(zeit_von "phase $p" 1 "$work/probe.log")
    # Up to the next phase of the work itself.
    bis=$(awk -v m="phase $p" 'f && $1 == "phase" && $2 != "sichern" && $2 != "einzeln" { print $NF; exit }
        $1 " " $2 == m { f = 1 }' "$work/probe.log")
    dauer[$p]=$((bis - von + 1))
done
echo "phase lengths (ms): umbenennen ${dauer[umbenennen]} kopieren ${dauer[kopieren]}" \
    "verschieben ${dauer[verschieben]} speichern (30 small sessions) ${dauer[speichern]}"

declare -A getroffen
fehler=0 versuche=0 kills=0 reste=0 wieder=0
while [ "$kills" -lt "$KILLS" ] && [ "$versuche" -lt $((KILLS * 3)) ]; do
    versuche=$((versuche + 1))
    ziel=${phases[$((kills % 4))]}
    frisch
    HOME="$work/t/home" "$DRIVER" arbeiten "$work/t/prog" "$work/t/daten" >"$work/t/log" 2>"$work/t/err" &
    pid=$!
    until [ -n "$(zeit_von "phase $ziel" 1 "$work/t/log")" ] || ! kill -0 "$pid" 2>/dev/null; do
        sleep 0.005
    done
    # A moment within the phase, as long as it took in the probe.
    verzug=$((RANDOM % ${dauer[$ziel]}))
    sleep "$(awk -v ms="$verzug" 'BEGIN { printf "%.3f", ms / 1000 }')"
    kill -9 "$pid" 2>/dev/null || { wait "$pid"; continue; }
    wait "$pid" 2>/dev/null
    kills=$((kills + 1))
    ergebnis=$(HOME="$work/t/home" "$DRIVER" pruefen "$work/t/prog" "$work/t/daten" "$work/t/manifest" "$work/t/log")
    status=$?
    zeile=$(tail -n 1 <<<"$ergebnis")
    # Where the kill landed: the last phase the driver had begun.
    feld() { sed -n "s/.* $1=\([a-z0-9?]*\).*/\1/p" <<<"$zeile"; }
    gelandet=$(feld phase)
    getroffen[${gelandet:-?}]=$((${getroffen[${gelandet:-?}]:-0} + 1))
    r=$(feld reste) h=$(feld wiederhergestellt)
    reste=$((reste + ${r:-0})) wieder=$((wieder + ${h:-0}))
    echo "kill $kills aimed at $ziel, $verzug ms in: $zeile"
    if [ "$status" -ne 0 ]; then
        fehler=$((fehler + 1))
        echo "$ergebnis" | head -n 20
        cp -r "$work/t" "$SCRATCH/failed-kill-$kills" 2>/dev/null
    fi
done
echo "kills: $kills, landed in runs: umbenennen ${getroffen[umbenennen]:-0}, kopieren ${getroffen[kopieren]:-0}," \
    "verschieben ${getroffen[verschieben]:-0}, one-file runs ${getroffen[einzeln]:-0}; in journal saves" \
    "${getroffen[sichern]:-0}; after the work ${getroffen[fertig]:-0}; sessions recovered: $wieder;" \
    "copy temporaries left: $reste; failed checks: $fehler"
[ "$kills" -eq "$KILLS" ] || fail "only $kills of $KILLS kills hit a running driver"
[ "$fehler" -eq 0 ] || exit 1
echo PASS
