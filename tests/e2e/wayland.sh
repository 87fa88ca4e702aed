# The Linux saver on a headless sway, for saver_e2e.sh: $ZELLIK_TEST_POINTER gives the seat a pointer.
. "$here/../../scripts/sway-session.sh"
. "$here/idle.sh"
HOST_BLACK=0 # sway shows grey

host_begin() {
    command -v grim >/dev/null && command -v wtype >/dev/null || skip "grim or wtype is missing"
    at_exit sway_stop
    sway_start
    sway_spawn pointer "$ZELLIK_TEST_POINTER"
    BACKGROUND_PIDS+=("$SWAY_SPAWNED")
    wait_until 50 grep -q ready "$SWAY_FILES/pointer.out"
    INI=$SWAY_DIR/home/.config/zellik/zellik.ini INI_OWNER=$SWAY_ACCOUNT IDLE_FILES=$SWAY_FILES
}
host_start() {
    sway_spawn saver "$ZELLIK" --fullscreen
    SAVER=$SWAY_SPAWNED
}
# The shared cases look at the first output; grim takes an output's real pixels.
OUTPUT=HEADLESS-1
shot() { as_sway grim -o "$OUTPUT" "$SWAY_FILES/shot.png" && cp "$SWAY_FILES/shot.png" "$1"; }
screen_size() { echo 1280 720; }
pointer() { as_sway swaymsg seat seat0 cursor set "$1" "$2" >/dev/null; }
key() { as_sway wtype -s 300 "${1:-a}"; }
click() { as_sway swaymsg seat seat0 cursor press button1 >/dev/null; }

# Each output, one added while it runs too, its own kaleidoscope at its real pixels (scale 2: 1600x1200).
case_outputs() {
    started_with_picture first sharp
    OUTPUT=HEADLESS-2
    expect_picture second sharp
    [ "$(identify -format %wx%h "$WORK/second.png")" = 1600x1200 ] || fail "HEADLESS-2 is not 1600x1200"
    as_sway swaymsg create_output >/dev/null && as_sway swaymsg output HEADLESS-3 resolution 1024x768 position 2080 0 >/dev/null
    OUTPUT=HEADLESS-3
    expect_picture added kaleidoscope
}

# The compositor closing the window, or going away, ends it with 0 at once; TERM does while it is stopped.
case_compositor_gone() {
    stopped_server "$SWAY_PID"
    started_with_picture window
    as_sway swaymsg '[app_id=zellik] kill' >/dev/null
    ends_within "the compositor closing it" 1
    started_with_picture sway
    kill -KILL "$SWAY_PID"
    ends_within "the compositor's end" 1
    [ ! -s "$SWAY_FILES/saver.err" ] || fail "stderr: $(cat "$SWAY_FILES/saver.err")"
}

# Hidden (the scratchpad), the window of its own gets no frame callbacks: no frame and next to no CPU for 3 s
# (sway 1.7's headless outputs cannot be switched off); shown, it draws within a second; TERM ends it hidden.
traced() { wc -l <"$SWAY_FILES/saver.out"; }
traced_beyond() { [ "$(traced)" -gt "$1" ]; }
case_hidden() {
    local ticks frames
    sway_spawn saver "$ZELLIK" --trace
    SAVER=$SWAY_SPAWNED
    wait_until 100 grep -q '^frame=' "$SWAY_FILES/saver.out" || fail "no frame traced"
    as_sway swaymsg '[app_id=zellik] move scratchpad' >/dev/null && sleep 0.5
    ticks=$(cpu_ticks "$SAVER") frames=$(traced)
    sleep 3
    ticks=$(($(cpu_ticks "$SAVER") - ticks))
    note "hidden for 3 s: $ticks ticks, $(($(traced) - frames)) frames"
    [ "$ticks" -le $(($(getconf CLK_TCK) * 15 / 100)) ] || fail "hidden, it used $ticks ticks in 3 s"
    ! traced_beyond "$frames" || fail "hidden, it drew"
    as_sway swaymsg '[app_id=zellik] scratchpad show' >/dev/null
    wait_until 10 traced_beyond "$frames" || fail "shown, no frame within 1 s"
    as_sway swaymsg '[app_id=zellik] move scratchpad' >/dev/null && sleep 0.5
    kill -TERM "$SAVER"
    ends_within "TERM while hidden" 1
}

# swayidle starts it after two idle seconds, on both outputs; a key ends it.
case_swayidle() {
    command -v swayidle >/dev/null || skip "swayidle is missing"
    sway_spawn idle swayidle -w timeout 2 "$ZELLIK --fullscreen"
    BACKGROUND_PIDS+=("$SWAY_SPAWNED")
    expect_picture idle kaleidoscope
    OUTPUT=HEADLESS-2
    expect_picture idle-second kaleidoscope
    SAVER=$(pgrep -f "^$ZELLIK --fullscreen") || fail "no zellik under swayidle"
    key
    wait_until 10 gone "$SAVER" || fail "a key did not end it"
}

# The idle watcher on sway 1.7's org_kde_kwin_idle (idle.sh): grim shows each output's kaleidoscope.
idle_spawn() {
    sway_spawn "$@"
    SPAWNED=$SWAY_SPAWNED
}
idle_as() { as_sway "$@"; }
compositor_pid() { echo "$SWAY_PID"; }
idle_drew_everywhere() {
    OUTPUT=HEADLESS-1
    expect_picture "idle-$1-first" kaleidoscope
    OUTPUT=HEADLESS-2
    expect_picture "idle-$1-second" kaleidoscope
}
