#!/usr/bin/env bash
# zellik with no mode: a window of its own at the size asked for, drawn
# like the others; its close box or Escape ends it, other input does not.
# --trace prints one line per frame.
# Usage: own_window.sh ZELLIK TEST_WINDOW
ZELLIK=$1
TEST_WINDOW=$2
. "$(dirname "$0")/lib.sh"
start_xvfb 1280x720

# open_own NAME ARGS...: starts it and waits for the window; sets OWN.
open_own() {
    local name=$1
    shift
    start_zellik "$name" "$@"
    OWN=$(xdo search --sync --onlyvisible --name '^Zellik$' | head -n1)
    [ -n "$OWN" ] || fail "$name: no window named Zellik"
}

open_own close-box --geometry 300x200 --trace
geometry=$(timeout 10 xwininfo -id "$OWN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = 300x200 ] || fail "close-box: window is $geometry, asked for 300x200"
# No window manager places it: it sits at (0, 0).
wait_picture "$WORK/own.png" 300x200+0+0 || fail "close-box: nothing drawn"
keep_shot "$WORK/own.png" own-window.png
xdo mousemove 50 50 click 1 key a
sleep 0.3
alive "$ZPID" || fail "close-box: a click or a key ended the trial window"
timeout 10 "$TEST_WINDOW" close "$OWN"
wait_gone "$ZPID" 1000 || fail "close-box: still running after its close box"
[ "$(exit_status "$ZPID")" = 0 ] || fail "close-box: non-zero status"
grep -q '^frame=1 t=' "$WORK/close-box.out" || fail "close-box: no trace: $(head -c 300 "$WORK/close-box.out")"
[ "$(grep -c '^frame=' "$WORK/close-box.out")" -gt 5 ] || fail "close-box: too few frames traced"
note "close-box: 300x200 window, closed by its close box after $(grep -c '^frame=' "$WORK/close-box.out") frames"

# The default size.
open_own escape --mirrors on
geometry=$(timeout 10 xwininfo -id "$OWN" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = 1280x720 ] || fail "escape: window is $geometry, expected 1280x720"
wait_picture "$WORK/escape.png" 1280x720+0+0 || fail "escape: nothing drawn"
xdo windowfocus --sync "$OWN" key Escape
wait_gone "$ZPID" 1000 || fail "escape: Escape did not end it"
[ "$(exit_status "$ZPID")" = 0 ] || fail "escape: non-zero status"
note "escape: closed"
echo PASS
