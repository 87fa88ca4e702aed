#!/usr/bin/env bash
# The whole saver, full screen, as a user meets it: the picture, the inputs
# that end it, the mouse threshold and the mirrors setting. One driver for
# every host; HOST.sh beside it is that host's table: how to start the saver,
# store a setting, ask it to close, and the cases only that host has.
#
#   saver_e2e.sh HOST CASE
#
# A host file defines (and may redefine session.sh's shot, screen_size,
# pointer, key and click for a display that is not X):
#   host_begin               the display (and anything else) the saver needs
#   host_set NAME VALUE      stores "Mouse Threshold", "Password Delay" or "UseMirrors"
#   host_start               starts the full-screen saver in the background; sets SAVER
#   host_wait SECS           waits for it to end; sets STATUS (124: still running)
#   host_close               asks it to close the way its window system does
#   HOST_CLOSE_ENDS          1 when that ends it, 0 when no input asked for it and it stays
#   HOST_SECONDS             how long the saver may take to end after the input that ends it
#   HOST_BLACK               1 when the screen is black without the saver
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/session.sh"
. "$here/$1.sh"
SAVER=""
host_begin || fail "the host did not start"
read -r WIDTH HEIGHT < <(screen_size)
CX=$((WIDTH / 2))
CY=$((HEIGHT / 2))

started_with_picture() {
    pointer "$CX" "$CY"
    host_start
    expect_picture "$1" "${2:-kaleidoscope}" "${@:3}"
    alive "$SAVER" || fail "$1: ended before any input"
}

# ends_within WHAT SECONDS: the saver ends by itself in time, with status 0.
ends_within() {
    local t0
    t0=$(now_ms)
    host_wait "$2"
    [ "$STATUS" = 0 ] || fail "$1: status $STATUS (124: still running after $2 s)"
    note "$1: ended after $(($(now_ms) - t0)) ms"
}

stays() {
    sleep "${2:-1}"
    alive "$SAVER" || fail "$1 ended the saver"
}

case_picture() {
    [ "$HOST_BLACK" = 0 ] || expect_picture before black
    started_with_picture picture
    key
    ends_within "a key" "$HOST_SECONDS"
    [ "$HOST_BLACK" = 0 ] || expect_picture after black
}

case_button() {
    started_with_picture button
    click
    ends_within "a click" "$HOST_SECONDS"
}

# A threshold of our own, so that the stored one is seen to be read: a move
# of exactly that on one axis, or on both, stays; one pixel more ends it.
case_threshold() {
    host_set "Mouse Threshold" 12
    started_with_picture threshold
    pointer $((CX + 12)) "$CY"
    stays "a move of exactly 12 pixels"
    pointer $((CX - 12)) $((CY + 12))
    stays "a diagonal move of 12 pixels on each axis"
    pointer "$CX" $((CY + 13))
    ends_within "a move of 13 pixels" "$HOST_SECONDS"
}

# A negative threshold is read as 0: standing still keeps the saver, any
# real move ends it.
case_negative_threshold() {
    host_set "Mouse Threshold" -1
    started_with_picture negative-threshold
    stays "a threshold of -1 without any move" 2
    pointer $((CX + 1)) "$CY"
    ends_within "a move of one pixel" "$HOST_SECONDS"
}

case_close() {
    started_with_picture close
    host_close
    if [ "$HOST_CLOSE_ENDS" = 1 ]; then
        ends_within "a close request" "$HOST_SECONDS"
    else
        stays "a close no input asked for"
        key
        ends_within "a key after an unasked close" "$HOST_SECONDS"
    fi
}

case_no_mirrors() {
    host_set UseMirrors 0
    started_with_picture no-mirrors plain
    key
    ends_within "a key" "$HOST_SECONDS"
}

"case_${2//-/_}"
note "$2: passed"
