# Shared by the end-to-end tests: an X server of their own with a window manager, the real program run
# from a copy in a temporary program folder, and helpers to find, click and look at its windows.
# Sourced as `source lib.sh "PROGRAM SCRATCH" "$@"`. Exit 77 when a tool is missing, 2 on missing arguments.

e2e_names=${1:-} && shift $(($# > 0))
for e2e_name in $e2e_names; do
    [ $# -gt 0 ] || { echo "usage: $(basename "$0") $e2e_names" >&2; exit 2; }
    printf -v "$e2e_name" '%s' "$1" && shift
done

for tool in Xvfb xdotool openbox xprop xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

e2e_xvfb_pid='' e2e_wm_pid='' app_pid=''
start='Tauschwerk © TW-Team' undo='Änderungen rückganig machen'
shots="$SCRATCH/screenshots"
mkdir -p "$shots"
work=$(mktemp -d "$SCRATCH/run.XXXXXX")

e2e_cleanup() {
    local pid pids="$app_pid $e2e_wm_pid $e2e_xvfb_pid"
    [ -n "${pids// /}" ] && kill $pids 2>/dev/null
    for pid in $pids; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap e2e_cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    shot failure
    [ -s "$work/program.log" ] && echo "--- program output ---" && cat "$work/program.log"
    exit 1
}

# Polls a command every 0.2 s until it succeeds or the seconds run out.
wait_for() {
    local tries=$(($1 * 5))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1)) && [ "$tries" -gt 0 ] || return 1
        sleep 0.2
    done
}

e2e_start_x() {
    # -noreset: without it the server resets when its last client leaves, and a window manager that
    # connects right after the probe below meets a server that is just then closing its connections.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    e2e_xvfb_pid=$!
    wait_for 20 grep -q '[0-9]' "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
    # On a busy machine the server may take a moment after naming its display to take clients.
    wait_for 20 xprop -root || fail "Xvfb on $DISPLAY takes no clients: $(cat "$work/xvfb.log")"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    e2e_wm_pid=$!
    wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
    wait_for 20 wm_ready || fail "openbox did not start: $(cat "$work/openbox.log")"
}

# Copies the program and its user guide into a fresh program folder and starts it there, with HOME as
# given (the browser starts in the home folder).
e2e_start_program() {
    local home=$1
    folder="$work/program"
    mkdir -p "$home" "$folder"
    cp "$PROGRAM" "$folder/tauschwerk" || fail "cannot copy $PROGRAM"
    [ -f "$(dirname "$PROGRAM")/Tauschwerk.html" ] && cp "$(dirname "$PROGRAM")/Tauschwerk.html" "$folder/"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/lsan.supp:print_suppressions=0}"
    HOME="$home" QT_QPA_PLATFORM=xcb "$folder/tauschwerk" >"$work/program.log" 2>&1 &
    app_pid=$!
}

# Starts the program and waits for its start window.
e2e_start() {
    e2e_start_program "$1"
    wait_for 30 window_shown "$start" || fail "the start window did not appear"
}

# The visible window with exactly this title.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_named "$1")" ]; }
window_gone() { [ -z "$(window_named "$1")" ]; }

# Sets WX, WY, WW, WH to a window's place and size.
geometry_of() {
    local id
    id=$(window_named "$1")
    [ -n "$id" ] || fail "no window '$1'"
    # xwininfo gives the client area's true screen place also under a reparenting window manager.
    read -r WX WY WW WH < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF } /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }')
}

# Clicks at a point given in pixels inside a window.
click_in() {
    geometry_of "$1"
    xdotool mousemove $((WX + $2)) $((WY + $3)) click 1
    sleep 0.3
}

# Clicks at a point inside a framed window's client area, through the window itself: xdotool's place of
# a framed window leaves out the frame's own offset.
click_at() {
    xdotool mousemove --window "$(window_named "$1")" "$2" "$3" click 1
    sleep 0.3
}

shot() { import -window root "$shots/$1.png" 2>/dev/null; }

# The mean brightness (0..1) of a screen region: an empty white list is 1.
brightness() {
    import -window root "$work/probe.png" 2>/dev/null
    convert "$work/probe.png" -crop "$3x$4+$1+$2" +repage -colorspace Gray -format '%[fx:mean]' info:
}
not_blank() { awk -v b="$(brightness "$@")" 'BEGIN { exit !(b < 0.995) }'; }

# Closes a window with Alt+F4 through the window manager and expects the program to end by itself. On a
# loaded machine the key can reach the window before it has the focus, so it is sent again while the window
# is still there.
e2e_quit_via() {
    ended() { ! kill -0 "$app_pid" 2>/dev/null; }
    local attempt id
    for attempt in 1 2 3; do
        id=$(window_named "$1")
        if [ -n "$id" ]; then
            xdotool windowactivate --sync "$id" >/dev/null 2>&1
            xdotool key alt+F4
        fi
        wait_for 10 ended && break
    done
    ended || fail "the program still runs after its last window closed"
    wait "$app_pid"
    local status=$?
    app_pid=''
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# Waits for a message box, takes its picture where a name is given, and answers it with Return.
answer_message() { # seconds, failure text[, picture]
    wait_for "$1" window_shown Tauschwerk || fail "$2"
    [ -z "${3:-}" ] || shot "$3"
    xdotool windowactivate --sync "$(window_named Tauschwerk)" >/dev/null 2>&1
    xdotool key Return
}

# "Verwaltung" (18, 82, 275 x 41 pixels) in the start window opens the undo window. Under a loaded
# machine the first click can come while the start window is still being placed, so it is repeated.
open_undo_window() {
    local try
    for try in 1 2 3; do
        click_at "$start" 155 102
        wait_for 5 window_shown "$undo" && return 0
    done
    fail "'Verwaltung' opened no undo window"
}

step1() {
    click_in "$start" 155 41
    wait_for 15 window_shown Tausch2 || fail "step 1 opened no selection window"
}

# The pick bar's handle (at 236 + 11) pulled up with the real pointer, so that the browser gets room.
pull_handle_up() {
    xdotool mousemove 512 247 mousedown 1
    for y in 230 180 120 80 60; do xdotool mousemove 512 "$y"; sleep 0.1; done
    xdotool mouseup 1
}

# Step 1 with the handle pulled up: the browser, titled by the folder it shows, appears.
open_browser() {
    step1
    pull_handle_up
    wait_for 5 window_shown "$1" || fail "the browser window did not appear"
    sleep 1
}

# A real double click on the browser's first row enters that folder.
enter_folder() {
    xdotool mousemove 60 97 click --repeat 2 --delay 100 1
    wait_for 5 window_shown "$1" || fail "the browser did not enter $1"
    sleep 0.5
}

# The selection window's "Alle Dateien in Liste makieren" and "Dateien umschreiben".
to_rename_window() {
    click_in Tausch2 782 265
    click_in Tausch2 923 265
    wait_for 10 window_shown Tausch3 || fail "no rename window"
}

# A pattern typed into the rename window, then "Urspungsname eintragen" and "Alle Dateien Makieren".
type_pattern() {
    click_in Tausch3 400 19
    xdotool type --delay 30 "$1"
    click_in Tausch3 899 112
    click_in Tausch3 104 338
}

# "Beenden" in the selection window brings the start window back; closing that ends the program.
quit_from_selection() {
    wait_for 5 window_shown Tausch2 || fail "the selection window is not shown"
    click_in Tausch2 923 314
    wait_for 10 window_shown "$start" || fail "the start window did not come back"
    wait_for 5 window_gone Tausch1 || fail "the pick bar stayed"
    e2e_quit_via "$start"
}
