#!/usr/bin/env bash
# Drawing into a window another program made: --window-id (hex and decimal),
# and --root with XSCREENSAVER_WINDOW. No input ends it; SIGTERM ends it with
# status 0 within a second; the window's destruction ends it quietly (given
# three seconds: it is seen at once, but a loaded machine may take a while to
# tear the context down).
# Usage: given_window.sh ZELLIK TEST_WINDOW
ZELLIK=$1
TEST_WINDOW=$2
. "$(dirname "$0")/lib.sh"
start_xvfb 640x480

# new_window [create-single]: a 320x240 window at (0, 0), kept by a helper
# process; sets HOST_ID and HOST_PID.
new_window() {
    rm -f "$WORK/host.id"
    "$TEST_WINDOW" "${1:-create}" 320x240 >"$WORK/host.id" &
    HOST_PID=$!
    BACKGROUND_PIDS+=("$HOST_PID")
    local i
    for i in $(seq 50); do [ -s "$WORK/host.id" ] && break; sleep 0.1; done
    HOST_ID=$(cat "$WORK/host.id")
    [ -n "$HOST_ID" ] || fail "the test window did not appear"
}

# draws_only_inside NAME: the picture is in the window and nowhere else.
draws_only_inside() {
    wait_picture "$WORK/$1.png" 320x240+0+0 || fail "$1: nothing drawn in the window"
    keep_shot "$WORK/$1.png" "given-$1.png"
    screenshot "$WORK/$1-right.png" 320x480+320+0
    is_black "$WORK/$1-right.png" || fail "$1: drew outside the window"
}

new_window
start_zellik hex --window-id "$(printf '0x%x' "$HOST_ID")"
draws_only_inside hex
# The owner decides: keys, clicks and moves over the window change nothing.
xdo mousemove 100 100 click 1 key a mousemove 300 200
sleep 0.5
alive "$ZPID" || fail "hex: input ended a run in a given window"
T0=$(now_ms)
kill -TERM "$ZPID"
wait_gone "$ZPID" 1000 || fail "hex: SIGTERM did not end it within a second"
[ "$(exit_status "$ZPID")" = 0 ] || fail "hex: SIGTERM gave a non-zero status"
[ ! -s "$WORK/hex.err" ] || fail "hex: stderr: $(cat "$WORK/hex.err")"
note "hex: drew, ignored input, SIGTERM ended it in $(($(now_ms) - T0)) ms"

# The owner destroys the window (its client goes away): a quiet end, status 0.
start_zellik decimal -p "$HOST_ID"
draws_only_inside decimal
kill -KILL "$HOST_PID"
wait_gone "$ZPID" 3000 || fail "decimal: still running 3 s after its window was destroyed"
[ "$(exit_status "$ZPID")" = 0 ] || fail "decimal: window destruction gave a non-zero status"
[ ! -s "$WORK/decimal.err" ] || fail "decimal: stderr: $(cat "$WORK/decimal.err")"
note "decimal: ended quietly when the window went away"

# A window whose visual GLX draws only single-buffered (xscreensaver's own
# window when it finds no GL visual): the saver draws into a child of it.
new_window create-single
start_zellik single -p "$HOST_ID"
draws_only_inside single
children=$(timeout 10 xwininfo -children -id "$HOST_ID" | grep -c '^ *0x' || true)
[ "$children" = 1 ] || fail "single: expected one child window, found $children"
kill -KILL "$HOST_PID"
wait_gone "$ZPID" 3000 || fail "single: still running 3 s after its window was destroyed"
[ "$(exit_status "$ZPID")" = 0 ] || fail "single: window destruction gave a non-zero status"
[ ! -s "$WORK/single.err" ] || fail "single: stderr: $(cat "$WORK/single.err")"
note "single: drew through a child window, ended quietly"

# xscreensaver's convention: --root draws into $XSCREENSAVER_WINDOW.
new_window
XSCREENSAVER_WINDOW=$(printf '0x%x' "$HOST_ID") start_zellik env --root
draws_only_inside env
kill -INT "$ZPID"
wait_gone "$ZPID" 1000 || fail "env: SIGINT did not end it"
[ "$(exit_status "$ZPID")" = 0 ] || fail "env: SIGINT gave a non-zero status"
kill -KILL "$HOST_PID"
note "env: drew into \$XSCREENSAVER_WINDOW"

# Without it, --root draws on the root window itself: the whole screen.
sleep 0.3
start_zellik root -root
wait_picture "$WORK/root.png" 320x480+320+0 || fail "root: nothing drawn on the right half of the root window"
keep_shot "$WORK/root.png" "given-root.png"
kill -TERM "$ZPID"
wait_gone "$ZPID" 1000 || fail "root: SIGTERM did not end it"
[ "$(exit_status "$ZPID")" = 0 ] || fail "root: non-zero status"
note "root: drew on the root window"
echo PASS
