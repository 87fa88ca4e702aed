#!/usr/bin/env bash
# saver_e2e.sh HOST CASE: the saver as a user meets it. HOST.sh gives host_begin (the display) and host_start
# (the saver in the background, sets SAVER), and may redefine the defaults below, the input and the shot.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/xvfb.sh"
# Scratch in WORK, removed at exit with the last SAVER and every process in BACKGROUND_PIDS.
WORK=$(mktemp -d /tmp/zellik-test.XXXXXX)
chmod 755 "$WORK"
BACKGROUND_PIDS=() AT_EXIT=() XVFB_PID="" SAVER="" INI_OWNER="" HOST_CLOSE_ENDS=1 HOST_BLACK=1 HOST_SECONDS=1 HOST_PICTURE_SECONDS=10

at_exit() { AT_EXIT=("$1" "${AT_EXIT[@]}"); } # COMMAND: run at the end, the last registered first
session_cleanup() {
    for step in "${AT_EXIT[@]}"; do eval "$step"; done
    # Only this shell's own children: the number of one that has ended may be another test's program by now.
    for pid in $SAVER "${BACKGROUND_PIDS[@]}" $XVFB_PID; do own "$pid" || continue; [ "$pid" = "$XVFB_PID" ] && xvfb_stop "$pid" || kill -KILL "$pid" 2>/dev/null; done
    [ -n "${ZELLIK_TEST_SHOTS:-}" ] && mkdir -p "$ZELLIK_TEST_SHOTS" && cp "$WORK"/*.png "$ZELLIK_TEST_SHOTS/" 2>/dev/null
    rm -rf "$WORK"
}
trap session_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }
note() { echo "-- $*"; }
# Xorg's dummy driver with two monitors side by side, 1280x720 and 1024x768 (Xvfb cannot): replaces DISPLAY.
two_monitors() {
    command -v Xorg >/dev/null && command -v xrandr >/dev/null && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
        skip "Xorg with its dummy driver and xrandr are needed"
    need_root "Xorg's dummy driver"
    x_start "$WORK" "${ROOT[@]}" Xorg -config "$here/dummy-xorg.conf" -novtswitch -sharevts -logfile "$WORK/xorg.log" || fail "no Xorg"
    xrandr --addmode DUMMY1 1024x768 2>/dev/null
    xrandr --output DUMMY0 --mode 1280x720 --pos 0x0 --output DUMMY1 --mode 1024x768 --right-of DUMMY0 ||
        fail "xrandr could not make two monitors"
    # A client that reads the current outputs without probing them (Wine) needs a full query first.
    xrandr >/dev/null
}
stat_of() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null; } # PID: its /proc stat from the state on
own() { [ "$(stat_of "$1" | cut -d' ' -f2)" = "$$" ]; } # PID: a child of this shell
need_root() { # WHAT: sets ROOT to run a command as root (sudo when that asks no password), or skips
    ROOT=()
    [ "$(id -u)" = 0 ] || { sudo -n true 2>/dev/null && ROOT=(sudo -n); } || skip "$1 needs root, and sudo asks for a password"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
wait_until() { # TENTHS COMMAND...: polls COMMAND every 0.1 s; false if it never succeeds
    for _ in $(seq "$1"); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}
xdo() { timeout 10 xdotool "$@"; }
# The display's input, size and screenshot; a host of another kind redefines them.
pointer() { xdo mousemove "$1" "$2"; }
key() { xdo key "${1:-a}"; }
click() { xdo click 1; }
screen_size() { timeout 10 xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2 }'; }
shot() { timeout -k 2 20 /usr/bin/import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

alive() { [[ "$(stat_of "$1" | cut -d' ' -f1)" == [^Z]* ]]; } # PID: it runs (a zombie not yet reaped counts as gone)
gone() { ! alive "$1"; }
cpu_ticks() { stat_of "$1" | awk '{ print $12 + $13 }'; } # PID: user + system clock ticks

# expect_picture WHAT kaleidoscope|plain|sharp|black [WxH+X+Y]: polls screenshots for HOST_PICTURE_SECONDS until one is as
# expected (the tiles fade in, a wedge glide breaks the symmetry for 2 s); the last is $WORK/WHAT.png.
expect_picture() {
    local file=$WORK/$1.png deadline=$(($(now_ms) + HOST_PICTURE_SECONDS * 1000)) said=""
    while [ "$(now_ms)" -le "$deadline" ]; do
        shot "$file" && said=$("$ZELLIK_PICTURE" "$file" "${@:2}") && note "$1: $said" && return 0
        sleep 0.3
    done
    fail "$1: ${said:-no screenshot} ($file)"
}

host_set() { # NAME VALUE: "Mouse Threshold", "UseMirrors" or "IdleMinutes" into $INI
    local section='Software\Microsoft\Windows\CurrentVersion\Screen Savers'
    [ "$1" = UseMirrors ] || [ "$1" = IdleMinutes ] && section='Software\Quent\Dunmere'
    mkdir -p "${INI%/*}"
    printf '[%s]\n%s=%s\n' "$section" "$1" "$2" >>"$INI"
    [ -z "$INI_OWNER" ] || chown -R "$INI_OWNER" "${INI%/*}"
}
host_close() { kill -TERM "$SAVER"; }
host_wait() { # SECONDS: the saver's status, 124 while it runs
    wait_until $(($1 * 10)) gone "$SAVER" || return 124
    wait "$SAVER"
}
. "$here/$1.sh"
host_begin || fail "the host did not start"
read -r WIDTH HEIGHT < <(screen_size)
CX=$((WIDTH / 2)) CY=$((HEIGHT / 2))

started_with_picture() {
    pointer "$CX" "$CY"
    host_start
    expect_picture "$1" "${2:-kaleidoscope}" "${@:3}"
    alive "$SAVER" || fail "$1: ended before any input"
}
ends_within() { # WHAT SECONDS: the saver ends in time, with status 0
    local t0 status=0
    t0=$(now_ms)
    host_wait "$2" || status=$?
    [ "$status" = 0 ] || fail "$1: status $status (124: still running after $2 s)"
    note "$1: ended after $(($(now_ms) - t0)) ms"
}
# PID: TERM ends the saver within a second, with 0, while the display server is stopped: from the start on,
# and while it draws.
stopped_server() {
    at_exit "kill -CONT $1"
    kill -STOP "$1" && host_start && sleep 0.5 && kill -TERM "$SAVER"
    ends_within "TERM, the server stopped from the start" 1
    kill -CONT "$1"
    started_with_picture running
    kill -STOP "$1" && kill -TERM "$SAVER"
    ends_within "TERM, the server stopped while it draws" 1
    kill -CONT "$1"
}
key_ends() { key; ends_within key "$HOST_SECONDS"; }
stays() {
    sleep "${2:-1}"
    alive "$SAVER" || fail "$1 ended the saver"
}

ended_by() { # NAME INPUT [VERDICT]: started with that picture, INPUT ends it in time
    started_with_picture "$1" "${3:-kaleidoscope}"
    $2
    ends_within "$2" "$HOST_SECONDS"
}
# The settings dialog's preview (zellik -c), SIZE real pixels: the box of the largest pure black patch that a
# screenshot shows within the dialog's AREA (an icon's black is a few pixels). PREVIEW: that box on the screen.
find_preview() { # AREA SIZE
    local box area=${1#*+}
    shot "$WORK/dialog.png" && box=$(convert "$WORK/dialog.png" -crop "$1" +repage -fill white +opaque black \
        -define connected-components:verbose=true -connected-components 8 null: |
        awk '$NF == "srgb(0,0,0)" && $4 > most { most = $4; box = $2 } END { print box }') && [ "${box%%+*}" = "$2" ] || return 1
    box=${box#*+}
    PREVIEW=$2+$((${area%+*} + ${box%+*}))+$((${area#*+} + ${box#*+}))
}
# The preview is a lit kaleidoscope; "Use Mirrors" toggled makes it plain at once; Cancel leaves the settings
# file byte for byte. The host gives start_dialog, dialog_area, dialog_toggle and dialog_cancel.
dialog_preview() { # SIZE
    host_set UseMirrors 1
    cp "$INI" "$WORK/before.ini"
    start_dialog
    wait_until 100 find_preview "$(dialog_area)" "$1" || fail "no $1 preview in the dialog ($WORK/dialog.png)"
    expect_picture preview kaleidoscope "$PREVIEW"
    dialog_toggle
    expect_picture preview-plain plain "$PREVIEW"
    dialog_cancel
    ends_within Cancel 5
    cmp -s "$WORK/before.ini" "$INI" || fail "Cancel changed the settings: $(cat "$INI")"
}
case_picture() {
    [ "$HOST_BLACK" = 0 ] || expect_picture before black
    ended_by picture key
    [ "$HOST_BLACK" = 0 ] || expect_picture after black
}
case_button() { ended_by button click; }
# The stored threshold is read: exactly 12 on one axis or both stays, 13 ends it.
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
case_close() {
    started_with_picture close
    host_close
    if [ "$HOST_CLOSE_ENDS" = 0 ]; then
        stays "a close no input asked for"
        key
    fi
    ends_within "a close" "$HOST_SECONDS"
}
case_no_mirrors() {
    host_set UseMirrors 0
    ended_by no-mirrors key plain
}

# Wayland hosts: spawn NAME CMD... (the PID in SPAWNED, output in $FILES/NAME.out, .err) and host_user_window
# (the compositor's view of the test client's window). SAVER's --trace lines in $FILES/saver.out.
traced() { wc -l <"$FILES/saver.out"; }
traced_beyond() { [ "$(traced)" -gt "$1" ]; }
user_client() { # MODE: the test client, ready
    spawn user "$ZELLIK_TEST_CLIENT" "$1"
    BACKGROUND_PIDS+=("$SPAWNED")
    wait_until 50 grep -q ready "$FILES/user.out" || fail "the test client did not start: $(cat "$FILES/user.err")"
}
# xdg-shell maps a popup only after its parent: in a protocol log (WAYLAND_DEBUG=client) each layer surface has
# had a buffer attached and committed before its popup is made. True for N or more popups.
parents_mapped_first() { # LOG N
    awk -v want="$2" 'function id(re) { return match($0, re) ? substr($0, RSTART, RLENGTH) : "" }
        / -> / { s = id("wl_surface@[0-9]+"); l = id("zwlr_layer_surface_v1@[0-9]+") }
        /\.get_layer_surface\(/ { attached[s] = mapped[s] = 0; parent[l] = s }
        / -> wl_surface@.*\.attach\(wl_buffer@/ { attached[s] = 1 }
        / -> wl_surface@.*\.commit\(/ { mapped[s] = mapped[s] || attached[s] }
        / -> zwlr_layer_surface_v1@.*\.get_popup\(/ { n++; early += !mapped[parent[l]] }
        END { exit !(n >= want && early == 0) }' "$1"
}
# A user's full-screen window (a video, a game) is full screen and focused as before once a key has ended
# the saver: the compositor's view and the window's own last configure say so.
case_user_fullscreen() {
    user_client fullscreen
    local before after
    before=$(host_user_window) || skip "$before"
    note "before: $before; $(tail -n1 "$FILES/user.out")"
    ended_by user-fullscreen key
    sleep 0.5
    after=$(host_user_window)
    note "after: $after; $(tail -n1 "$FILES/user.out")"
    [ "$before" = "$after" ] && [[ $after == *"$USER_WINDOW_AS_BEFORE"* ]] || fail "the user's window was $before, is $after"
    tail -n1 "$FILES/user.out" | grep -q 'fullscreen activated' || fail "the window was told $(tail -n1 "$FILES/user.out")"
}
# A program's own overlay surfaces (green, all over each output), made before the saver, are below the saver's
# on every output (the host's overlay_below); the keyboard is the saver's.
case_own_overlay() {
    user_client overlay
    started_with_picture over sharp
    overlay_below
    key_ends
}

"case_${2//-/_}"
note "$2: passed"
