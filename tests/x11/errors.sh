#!/usr/bin/env bash
# What goes wrong is one line on stderr and a non-zero status: no display, a
# display without GLX, a window that does not exist, a command line it cannot
# take, settings that cannot be stored (the old file stays whole).
# Usage: errors.sh ZELLIK
ZELLIK=$1
. "$(dirname "$0")/lib.sh"

# expect_error NAME STATUS PATTERN ARGS...: runs to completion, within 10 s.
expect_error() {
    local name=$1 want=$2 pattern=$3
    shift 3
    local status=0
    timeout 10 "$ZELLIK" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" || status=$?
    [ "$status" = "$want" ] || fail "$name: status $status, expected $want"
    [ "$(wc -l <"$WORK/$name.err")" = 1 ] || fail "$name: stderr is not one line: $(cat "$WORK/$name.err")"
    grep -q -- "$pattern" "$WORK/$name.err" || fail "$name: stderr lacks '$pattern': $(cat "$WORK/$name.err")"
    note "$name: $(cat "$WORK/$name.err")"
}

expect_error unknown-option 2 "unknown option '--sparkle'" --sparkle
expect_error bad-window-id 2 "not a window id" --window-id 12ab
expect_error bad-geometry 2 "not a window size" --geometry 0x10
expect_error two-places 2 "conflicts" --root --fullscreen
DISPLAY= expect_error no-display 1 "no X display" --fullscreen
DISPLAY=:999 expect_error closed-display 1 "cannot open X display ':999'" --root
DISPLAY= expect_error dialog-without-display 1 "zellik -c --mirrors" -c

start_xvfb 320x240
expect_error missing-window 1 "no window 0x7ffff0" --window-id 0x7ffff0
XSCREENSAVER_WINDOW=0x7ffff1 expect_error missing-env-window 1 "no window 0x7ffff1" --root
XSCREENSAVER_WINDOW=junk expect_error junk-env-window 1 "XSCREENSAVER_WINDOW='junk'" --root
kill -TERM "$XVFB_PID"
wait "$XVFB_PID" || true
XVFB_PID=""
start_xvfb 320x240 -extension GLX
expect_error no-glx 1 "no GLX" --fullscreen

# An unwritable settings directory: the store fails loudly, the file survives.
mkdir -p "$XDG_CONFIG_HOME/zellik"
printf '; mine\n[Software\\Quent\\Dunmere]\nUseMirrors=1\n' >"$XDG_CONFIG_HOME/zellik/zellik.ini"
cp "$XDG_CONFIG_HOME/zellik/zellik.ini" "$WORK/before.ini"
chmod 755 "$XDG_CONFIG_HOME"
chmod 555 "$XDG_CONFIG_HOME/zellik"
chmod 644 "$XDG_CONFIG_HOME/zellik/zellik.ini"
if [ "$(id -u)" = 0 ]; then
    # Permissions do not stop root: store as an ordinary account instead.
    # A copy of the program that this account can reach, wherever the build is.
    cp "$ZELLIK" "$WORK/zellik"
    chmod 755 "$WORK/zellik"
    ZELLIK="$WORK/zellik"
    as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
else
    as_user() { "$@"; }
fi
status=0
DISPLAY= as_user "$ZELLIK" -c --mirrors off >"$WORK/ro.out" 2>"$WORK/ro.err" || status=$?
[ "$status" = 1 ] || fail "unwritable: status $status"
[ "$(wc -l <"$WORK/ro.err")" = 1 ] || fail "unwritable: stderr: $(cat "$WORK/ro.err")"
grep -q "Permission denied" "$WORK/ro.err" || fail "unwritable: $(cat "$WORK/ro.err")"
cmp -s "$WORK/before.ini" "$XDG_CONFIG_HOME/zellik/zellik.ini" || fail "unwritable: the old file changed"
[ "$(ls "$XDG_CONFIG_HOME/zellik")" = zellik.ini ] || fail "unwritable: left files behind: $(ls "$XDG_CONFIG_HOME/zellik")"
note "unwritable: $(cat "$WORK/ro.err")"
chmod 755 "$XDG_CONFIG_HOME/zellik"
echo PASS
