#!/usr/bin/env bash
# Full screen: a pointer move of exactly the mouse threshold on one axis, or
# on both at once, leaves the saver running; one pixel more ends it. The
# threshold comes from the settings file when it is stored there.
# Usage: fullscreen_threshold.sh ZELLIK
ZELLIK=$1
. "$(dirname "$0")/lib.sh"
start_xvfb 640x480

# threshold_case NAME THRESHOLD: start at (200, 200), move by the threshold
# on x, then on both axes, then one pixel more on x.
threshold_case() {
    local name=$1 t=$2
    xdo mousemove 200 200
    start_zellik "$name" --fullscreen
    wait_picture "$WORK/$name.png" || fail "$name: nothing drawn"
    xdo mousemove $((200 + t)) 200
    sleep 0.5
    alive "$ZPID" || fail "$name: a move of exactly $t pixels ended it"
    xdo mousemove $((200 - t)) $((200 + t))
    sleep 0.5
    alive "$ZPID" || fail "$name: a diagonal move of $t pixels on each axis ended it"
    xdo mousemove $((200 + t + 1)) 200
    wait_gone "$ZPID" 1000 || fail "$name: a move of $((t + 1)) pixels did not end it within a second"
    [ "$(exit_status "$ZPID")" = 0 ] || fail "$name: non-zero exit status"
    note "$name: $t stays, $((t + 1)) closes"
}

threshold_case default 50

mkdir -p "$XDG_CONFIG_HOME/zellik"
cat >"$XDG_CONFIG_HOME/zellik/zellik.ini" <<'INI'
[Software\Microsoft\Windows\CurrentVersion\Screen Savers]
Mouse Threshold=12
INI
threshold_case stored 12
echo PASS
