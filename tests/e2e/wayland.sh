# The Linux saver on a headless sway, for saver_e2e.sh: the test client gives the seat a pointer.
# Full screen on the overlay layer, or with WAYLAND_PATH=toplevel (wayland-toplevel.sh) as toplevels.
SESSION=sway
. "$here/idle.sh"
HOST_BLACK=0 # sway shows grey
WAYLAND_PATH=${WAYLAND_PATH:-overlay}
FULLSCREEN=(--fullscreen)
[ "$WAYLAND_PATH" = overlay ] || FULLSCREEN+=(--toplevel)

host_begin() {
    command -v grim >/dev/null && command -v wtype >/dev/null || skip "grim or wtype is missing"
    session_begin
    spawn pointer "$ZELLIK_TEST_CLIENT" pointer
    BACKGROUND_PIDS+=("$SPAWNED")
    wait_until 50 grep -q ready "$FILES/pointer.out"
    INI_OWNER=$SWAY_ACCOUNT
}
host_start() {
    spawn saver "$ZELLIK" "${FULLSCREEN[@]}" "$@"
    SAVER=$SPAWNED
}
# The cases look at the first output unless OUTPUT names another for one call; grim takes an output's real pixels.
OUTPUT=HEADLESS-1
shot() { as_sway grim -o "$OUTPUT" "$SWAY_FILES/shot.png" && cp "$SWAY_FILES/shot.png" "$1"; }
screen_size() { echo 1280 720; }
pointer() { as_sway swaymsg seat seat0 cursor set "$1" "$2" >/dev/null; }
key() { as_sway wtype -s 300 "${1:-a}"; }
click() { as_sway swaymsg seat seat0 cursor press button1 >/dev/null; }

# Each output, one added while it runs too, its own kaleidoscope at its real pixels (scale 2: 1600x1200),
# on the path asked for (toplevels are windows in sway's tree, overlay surfaces are not); one taken away
# leaves the others running (sway 1.7 cannot unplug a headless output: its disable is what there is).
case_outputs() {
    started_with_picture first sharp
    local windows expected=0
    [ "$WAYLAND_PATH" = overlay ] || expected=2
    windows=$(as_sway swaymsg -t get_tree | grep -c '"app_id": "zellik"')
    [ "$windows" = "$expected" ] || fail "$windows zellik windows in sway's tree on the $WAYLAND_PATH path"
    OUTPUT=HEADLESS-2 expect_picture second sharp
    [ "$(identify -format %wx%h "$WORK/second.png")" = 1600x1200 ] || fail "HEADLESS-2 is not 1600x1200"
    as_sway swaymsg create_output >/dev/null && as_sway swaymsg output HEADLESS-3 resolution 1024x768 position 2080 0 >/dev/null
    OUTPUT=HEADLESS-3 expect_picture added kaleidoscope
    as_sway swaymsg output HEADLESS-3 disable >/dev/null
    stays "an output taken away"
    expect_picture after-removal sharp
}

# The compositor closing the window, or going away, ends it with 0 at once; TERM does while it is stopped.
case_compositor_gone() {
    stopped_server "$SWAY_PID"
    if [ "$WAYLAND_PATH" = toplevel ]; then
        started_with_picture window
        as_sway swaymsg '[app_id=zellik] kill' >/dev/null
        ends_within "the compositor closing it" 1
    fi
    started_with_picture sway
    kill -KILL "$SWAY_PID"
    ends_within "the compositor's end" 1
    [ ! -s "$FILES/saver.err" ] || fail "stderr: $(cat "$FILES/saver.err")"
}

# Hidden (the scratchpad), the window of its own gets no frame callbacks: no frame and next to no CPU for 3 s
# (sway 1.7's headless outputs cannot be switched off); shown, it draws again; TERM ends it hidden. Full
# screen, an overlay surface cannot be hidden on sway, nor its output switched off headless; what is left is
# a compositor that asks for no frame (stopped): nothing is drawn until it asks again.
case_hidden() {
    local scratchpad="as_sway swaymsg '[app_id=zellik] move scratchpad' >/dev/null"
    quiet_while hidden "$scratchpad" "as_sway swaymsg '[app_id=zellik] scratchpad show' >/dev/null" --trace
    at_exit "kill -CONT $SWAY_PID"
    quiet_while "full screen, no frame asked for" "kill -STOP $SWAY_PID" "kill -CONT $SWAY_PID" "${FULLSCREEN[@]}" --trace
}
quiet_while() { # WHAT HIDE SHOW SAVER-ARGS...: no frame and next to no CPU for 3 s after HIDE, frames within 2 s of SHOW
    local ticks frames
    spawn saver "$ZELLIK" "${@:4}"
    SAVER=$SPAWNED
    wait_until 100 traced_beyond 0 || fail "$1: no frame traced"
    eval "$2" && sleep 0.5
    ticks=$(cpu_ticks "$SAVER") frames=$(traced)
    sleep 3
    ticks=$(($(cpu_ticks "$SAVER") - ticks))
    note "$1 for 3 s: $ticks ticks, $(($(traced) - frames)) frames"
    [ "$ticks" -le $(($(getconf CLK_TCK) * 15 / 100)) ] || fail "$1: it used $ticks ticks in 3 s"
    ! traced_beyond "$frames" || fail "$1: it drew"
    eval "$3"
    wait_until 20 traced_beyond "$frames" || fail "$1: no frame within 2 s of its end"
    eval "$2" && sleep 0.5
    kill -TERM "$SAVER"
    ends_within "$1: TERM" 1
}

# swayidle starts it after two idle seconds, on both outputs; a key ends it.
case_swayidle() {
    command -v swayidle >/dev/null || skip "swayidle is missing"
    spawn idle swayidle -w timeout 2 "$ZELLIK ${FULLSCREEN[*]}"
    BACKGROUND_PIDS+=("$SPAWNED")
    expect_picture idle kaleidoscope
    OUTPUT=HEADLESS-2 expect_picture idle-second kaleidoscope
    SAVER=$(pgrep -f "^$ZELLIK ${FULLSCREEN[*]}") || fail "no zellik under swayidle"
    key
    wait_until 10 gone "$SAVER" || fail "a key did not end it"
}

# The idle watcher on sway 1.7's org_kde_kwin_idle (idle.sh): grim shows each output's kaleidoscope.
idle_drew_everywhere() {
    expect_picture "idle-$1-first" kaleidoscope && OUTPUT=HEADLESS-2 expect_picture "idle-$1-second" kaleidoscope
}

# sway's tree: the test client's full-screen mode and focus.
USER_WINDOW_AS_BEFORE='"fullscreen_mode":1,"focused":true'
host_user_window() {
    command -v jq >/dev/null || { echo "jq is missing"; return 1; }
    as_sway swaymsg -t get_tree | jq -c '.. | objects | select(.app_id? == "zellik-test-client") | {app_id, fullscreen_mode, focused}'
}
# sway 1.7 gives the pointer to the older overlay surface, which takes it here; grim shows the saver on top.
overlay_below() { OUTPUT=HEADLESS-2 expect_picture over-second sharp; }

# On the overlay layer each output's layer surface is mapped before its popup (xdg-shell's rule); then it draws.
case_overlay_parent() {
    spawn saver env WAYLAND_DEBUG=client "$ZELLIK" --fullscreen
    SAVER=$SPAWNED
    wait_until 100 parents_mapped_first "$FILES/saver.err" 2 || fail "a popup came before its parent was mapped"
    expect_picture parent-first kaleidoscope
}

# The settings dialog (zellik -c) and its preview (saver_e2e.sh), at its output's real pixels: 320x200 on
# HEADLESS-1, 640x400 once moved to HEADLESS-2 (scale 2).
case_config_dialog() {
    dialog_preview 320x200
    start_dialog
    wait_until 100 find_preview "$(dialog_area)" 320x200 || fail "no preview on HEADLESS-1 ($WORK/dialog.png)"
    as_sway swaymsg '[app_id=zellik] move to output HEADLESS-2' >/dev/null
    OUTPUT=HEADLESS-2 wait_until 100 find_preview 1600x1200+0+0 640x400 || fail "no 640x400 preview ($WORK/dialog.png)"
    OUTPUT=HEADLESS-2 expect_picture scaled kaleidoscope "$PREVIEW"
}
start_dialog() {
    spawn dialog env NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory "$ZELLIK" -c
    SAVER=$SPAWNED
}
dialog_area() { echo 1280x720+0+0; } # HEADLESS-1, all of it: sway's grey is no black
# GTK takes no keys from wtype here (its key codes come without their keymap): clicks, on "Use Mirrors" and
# Cancel, where the dialog's rows put them below the preview (PREVIEW's X, Y: at scale 1, as on HEADLESS-1).
click_below_preview() { # DX DY: from the preview's left or right (negative DX) edge and its top
    local at=${PREVIEW#*+} x
    x=$((${at%+*} + $1)) && [ "$1" -ge 0 ] || x=$((${at%+*} + ${PREVIEW%%x*} + $1))
    as_sway swaymsg seat seat0 cursor set "$x" $((${at#*+} + $2)) >/dev/null &&
        as_sway swaymsg seat seat0 cursor press button1 >/dev/null && as_sway swaymsg seat seat0 cursor release button1 >/dev/null
}
dialog_toggle() { click_below_preview 20 222; }
dialog_cancel() { click_below_preview -16 262; }
