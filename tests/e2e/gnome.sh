# The idle watcher on a headless GNOME compositor (mutter 43: org.gnome.Mutter.IdleMonitor), for
# saver_e2e.sh. Input goes through mutter's remote-desktop interface (the test client's remote-desktop mode), which counts
# as the user's. Mutter offers no screen copy: the saver's own protocol log shows what it drew where.
SESSION=mutter
. "$here/idle.sh"
IDLE_ENV=WAYLAND_DEBUG=client

host_begin() {
    command -v gdbus >/dev/null || skip "gdbus is missing"
    session_begin
    mkfifo "$WORK/input"
    exec 7<>"$WORK/input" # open both ends here: opening one end alone waits for the other
    mutter_command "$ZELLIK_TEST_CLIENT" remote-desktop # a background job's own redirection: it would read /dev/null
    "${MUTTER_COMMAND[@]}" <&7 >"$FILES/input.out" 2>"$FILES/input.err" &
    BACKGROUND_PIDS+=($!)
    disown
    wait_until 50 grep -q ready "$FILES/input.out" || fail "no remote-desktop input: $(cat "$FILES/input.err")"
}
screen_size() { echo 800 600; }
inputs_done() { [ "$(grep -c done "$FILES/input.out")" -gt "$1" ]; }
key() {
    local done
    done=$(grep -c done "$FILES/input.out")
    echo key >&7
    wait_until 50 inputs_done "$done"
}
# Each monitor's full-screen surface configured at its size.
configured() {
    grep -q 'xdg_toplevel@[0-9]*\.configure(800, 600' <<<"$1" && grep -q 'xdg_toplevel@[0-9]*\.configure(640, 480' <<<"$1"
}
