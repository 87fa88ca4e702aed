# The Linux saver on Wayland (sourced by saver_e2e.sh): a headless sway
# with two outputs, HEADLESS-1 (1280x720) and HEADLESS-2 (1600x1200 at scale
# 2, 800x600 logical, to its right). $ZELLIK_TEST_POINTER gives the seat a
# pointer; wtype gives it a keyboard while it types.
. "$here/../support/sway-session.sh"
HOST_CLOSE_ENDS=1
HOST_BLACK=0 # sway shows grey
HOST_SECONDS=1

host_begin() {
    command -v grim >/dev/null && command -v wtype >/dev/null || { echo "SKIP: grim or wtype is missing"; exit 77; }
    at_exit sway_stop
    sway_start
    sway_spawn pointer "$ZELLIK_TEST_POINTER"
    BACKGROUND_PIDS+=("$SWAY_SPAWNED")
    for _ in $(seq 50); do grep -q ready "$SWAY_FILES/pointer.out" && break; sleep 0.1; done
    INI=$SWAY_DIR/home/.config/zellik/zellik.ini
}
host_set() {
    local section='Software\Microsoft\Windows\CurrentVersion\Screen Savers'
    [ "$1" = UseMirrors ] && section='Software\Quent\Dunmere'
    mkdir -p "${INI%/*}"
    printf '[%s]\n%s=%s\n' "$section" "$1" "$2" >>"$INI"
    chown -R "$SWAY_ACCOUNT" "${INI%/*}"
}
host_start() {
    sway_spawn saver "$ZELLIK" --fullscreen
    SAVER=$SWAY_SPAWNED
    BACKGROUND_PIDS+=("$SAVER")
}
host_close() { kill -TERM "$SAVER"; }
host_wait() {
    STATUS=124
    wait_gone "$SAVER" $(($1 * 1000)) || return
    STATUS=0
    wait "$SAVER" || STATUS=$?
}
# The shared cases look at the first output; grim takes an output's real pixels.
OUTPUT=HEADLESS-1
shot() { as_sway grim -o "$OUTPUT" "$SWAY_FILES/shot.png" && cp "$SWAY_FILES/shot.png" "$1"; }
screen_size() { echo 1280 720; }
pointer() { as_sway swaymsg seat seat0 cursor set "$1" "$2" >/dev/null; }
key() { as_sway wtype -s 300 "${1:-a}"; }
click() { as_sway swaymsg seat seat0 cursor press button1 >/dev/null; }

# Every output its own whole kaleidoscope, centred, at its real pixels (the
# scale-2 output at 1600x1200, not 800x600 scaled up); an output added while
# it runs gets one too. (sway 1.7 cannot remove a headless output.)
case_outputs() {
    started_with_picture first sharp
    OUTPUT=HEADLESS-2
    expect_picture second sharp
    [ "$(identify -format %wx%h "$WORK/second.png")" = 1600x1200 ] || fail "HEADLESS-2 is not 1600x1200"
    as_sway swaymsg create_output >/dev/null && as_sway swaymsg output HEADLESS-3 resolution 1024x768 position 2080 0 >/dev/null
    OUTPUT=HEADLESS-3
    expect_picture added kaleidoscope
}

# The compositor closing the window, or going away, ends it with 0 at once.
case_compositor_gone() {
    started_with_picture window
    as_sway swaymsg '[app_id=zellik] kill' >/dev/null
    ends_within "the compositor closing it" 1
    started_with_picture sway
    kill -KILL "$SWAY_PID"
    ends_within "the compositor's end" 1
    [ ! -s "$SWAY_FILES/saver.err" ] || fail "stderr: $(cat "$SWAY_FILES/saver.err")"
}

# A real client: swayidle starts it after two seconds without input, on both
# outputs, and a key ends it.
case_swayidle() {
    command -v swayidle >/dev/null || { echo "SKIP: swayidle is missing"; exit 77; }
    sway_spawn idle swayidle -w timeout 2 "$ZELLIK --fullscreen"
    BACKGROUND_PIDS+=("$SWAY_SPAWNED")
    expect_picture idle kaleidoscope
    OUTPUT=HEADLESS-2
    expect_picture idle-second kaleidoscope
    SAVER=$(pgrep -f "^$ZELLIK --fullscreen") || fail "no zellik under swayidle"
    key
    wait_gone "$SAVER" 1000 || fail "a key did not end it"
}
