#!/usr/bin/env bash
# The settings dialog (GTK) driven by xdotool: Space toggles "Use Mirrors"
# and Enter (OK) stores it; Escape and the close box store nothing.
# Usage: config_dialog.sh ZELLIK TEST_WINDOW
ZELLIK=$1
TEST_WINDOW=$2
. "$(dirname "$0")/lib.sh"
start_xvfb 640x480
INI="$XDG_CONFIG_HOME/zellik/zellik.ini"

# open_dialog NAME: starts zellik -c and waits for its window; sets DIALOG.
open_dialog() {
    start_zellik "$1" -c
    DIALOG=$(xdo search --sync --onlyvisible --name '^Config dialog$' | head -n1)
    [ -n "$DIALOG" ] || fail "$1: no dialog"
    # No window manager: give the dialog the keyboard ourselves.
    xdo windowfocus --sync "$DIALOG"
    sleep 0.3
}

# closed_with NAME STATUS: the dialog's process ended within 5 s.
closed_with() {
    wait_gone "$ZPID" 5000 || fail "$1: the dialog is still open"
    local status
    status=$(exit_status "$ZPID")
    [ "$status" = "$2" ] || fail "$1: status $status: $(cat "$WORK/$1.err")"
}

# First run, no file: mirrors are on, so one Space clears the box; OK stores 0.
open_dialog clear
screenshot "$WORK/dialog.png" && keep_shot "$WORK/dialog.png" dialog.png
xdo key space
sleep 0.2
xdo key Return
closed_with clear 0
grep -qx 'UseMirrors=0' "$INI" || fail "clear: stored $(cat "$INI" 2>/dev/null)"
note "clear: $(grep UseMirrors "$INI")"

# The box now starts cleared; Space and OK store 1, and a comment and another
# section written by hand survive the rewrite.
printf '; written by hand\n[Elsewhere]\nKeep=me\n\n' | cat - "$INI" >"$WORK/ini" && mv "$WORK/ini" "$INI"
open_dialog set
xdo key space
sleep 0.2
xdo key Return
closed_with set 0
grep -qx 'UseMirrors=1' "$INI" || fail "set: stored $(cat "$INI")"
grep -qx '; written by hand' "$INI" && grep -qx 'Keep=me' "$INI" || fail "set: lost other lines: $(cat "$INI")"
note "set: $(grep UseMirrors "$INI")"

# Escape and the close box: the box is toggled, then nothing is stored.
cp "$INI" "$WORK/before.ini"
open_dialog escape
xdo key space
sleep 0.2
xdo key Escape
closed_with escape 0
cmp -s "$WORK/before.ini" "$INI" || fail "escape: the file changed"
note "escape: nothing stored"

open_dialog close-box
xdo key space
sleep 0.2
timeout 10 "$TEST_WINDOW" close "$DIALOG"
closed_with close-box 0
cmp -s "$WORK/before.ini" "$INI" || fail "close-box: the file changed"
note "close box: nothing stored"
echo PASS
