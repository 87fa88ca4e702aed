# The idle watcher on a headless GNOME compositor (mutter 43: org.gnome.Mutter.IdleMonitor), for
# saver_e2e.sh. Input goes through mutter's remote-desktop interface ($ZELLIK_MUTTER_INPUT), which counts
# as the user's. Mutter offers no screen copy: the saver's own protocol log shows what it drew where.
. "$here/../../scripts/mutter-session.sh"
. "$here/idle.sh"
IDLE_ENV=WAYLAND_DEBUG=client

host_begin() {
    command -v gdbus >/dev/null || skip "gdbus is missing"
    at_exit mutter_stop
    mutter_start
    IDLE_FILES=$MUTTER_FILES INI=$MUTTER_DIR/home/.config/zellik/zellik.ini
    mkfifo "$WORK/input"
    exec 7<>"$WORK/input" # open both ends here: opening one end alone waits for the other
    mutter_command "$ZELLIK_MUTTER_INPUT" # a background job's own redirection: it would read /dev/null
    "${MUTTER_COMMAND[@]}" <&7 >"$MUTTER_FILES/input.out" 2>"$MUTTER_FILES/input.err" &
    BACKGROUND_PIDS+=($!)
    disown
    wait_until 50 grep -q ready "$MUTTER_FILES/input.out" || fail "no remote-desktop input: $(cat "$MUTTER_FILES/input.err")"
}
screen_size() { echo 800 600; }
idle_spawn() {
    mutter_spawn "$@"
    SPAWNED=$MUTTER_SPAWNED
}
idle_as() { as_mutter "$@"; }
compositor_pid() { echo "$MUTTER_PID"; }
inputs_done() { [ "$(grep -c done "$MUTTER_FILES/input.out")" -gt "$1" ]; }
key() {
    local done
    done=$(grep -c done "$MUTTER_FILES/input.out")
    echo key >&7
    wait_until 50 inputs_done "$done"
}
# Each monitor's full-screen surface configured at its size.
configured() {
    grep -q 'xdg_toplevel@[0-9]*\.configure(800, 600' <<<"$1" && grep -q 'xdg_toplevel@[0-9]*\.configure(640, 480' <<<"$1"
}
