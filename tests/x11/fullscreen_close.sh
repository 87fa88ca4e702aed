#!/usr/bin/env bash
# Full screen: the saver covers the screen with the kaleidoscope, and a key,
# a mouse button or the focus moving away ends it within a second, status 0.
# Usage: fullscreen_close.sh ZELLIK TEST_WINDOW
ZELLIK=$1
TEST_WINDOW=$2
. "$(dirname "$0")/lib.sh"
start_xvfb 640x480

# closes_on NAME ACTION...: start full screen, wait for the picture, act, and
# expect the end within a second.
closes_on() {
    local name=$1
    shift
    start_zellik "$name" --fullscreen
    wait_picture "$WORK/$name.png" || fail "$name: nothing drawn within 10 s"
    keep_shot "$WORK/$name.png" "fullscreen-$name.png"
    alive "$ZPID" || fail "$name: ended before any input"
    "$@"
    wait_gone "$ZPID" 1000 || fail "$name: still running a second after the input"
    local status
    status=$(exit_status "$ZPID")
    [ "$status" = 0 ] || fail "$name: exit status $status"
    [ ! -s "$WORK/$name.err" ] || fail "$name: wrote to stderr: $(cat "$WORK/$name.err")"
    note "$name: closed"
}

xdo mousemove 200 200
[ "$(timeout 10 "$TEST_WINDOW" cursor -)" = visible ] || fail "the cursor is hidden before the saver runs"
# The cursor is hidden while the saver runs full screen.
cursor_hidden() {
    [ "$(timeout 10 "$TEST_WINDOW" cursor -)" = hidden ] || fail "the cursor is visible full screen"
    xdo key a
}
closes_on key cursor_hidden
[ "$(timeout 10 "$TEST_WINDOW" cursor -)" = visible ] || fail "the cursor stays hidden after the saver ended"
# The window covers the screen: its size is the screen's.
closes_on button xdo click 1

# With "Password Delay" 0 every close comes after the delay; this system has
# no password to ask, so a key still ends it.
mkdir -p "$XDG_CONFIG_HOME/zellik"
printf '[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\nPassword Delay=0\n' \
    >"$XDG_CONFIG_HOME/zellik/zellik.ini"
closes_on no-delay xdo key a
rm "$XDG_CONFIG_HOME/zellik/zellik.ini"

# Focus moving to another window is a deactivation.
"$TEST_WINDOW" create 100x100 >"$WORK/other.id" &
BACKGROUND_PIDS+=("$!")
for i in $(seq 50); do [ -s "$WORK/other.id" ] && break; sleep 0.1; done
OTHER=$(cat "$WORK/other.id")
closes_on focus-loss xdo windowfocus "$OTHER"

# The picture fills the screen, not just a corner: every quarter has pixels.
start_zellik quarters --fullscreen
wait_quarters "$WORK/full.png" 640x480 || fail "quarters: the picture does not fill the screen"
kill -TERM "$ZPID"
wait_gone "$ZPID" 1000 || fail "quarters: SIGTERM did not end it"
note "quarters: all drawn"
echo PASS
