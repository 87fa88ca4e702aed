# The idle watcher on a headless GNOME compositor (mutter 43: org.gnome.Mutter.IdleMonitor), for
# saver_e2e.sh. Input goes through mutter's remote-desktop interface ($ZELLIK_MUTTER_INPUT), which counts
# as the user's. Mutter offers no screen copy: the saver's own protocol log (WAYLAND_DEBUG) shows what it
# drew where - a full-screen surface configured at each monitor's size, each with new buffers.
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
# Saver N (its log from its start on): two surfaces configured at 800x600 and 640x480, and each given at
# least 20 new buffers (frames the compositor asked for).
SURFACE=' -> xdg_wm_base@[0-9]*\.get_xdg_surface'
surfaces_made() { [ "$(grep -c "$SURFACE" "$1")" -ge "$2" ]; }
drew_both() { # LOG FROM
    local since
    since=$(tail -n +"$2" "$1")
    grep -q 'xdg_toplevel@[0-9]*\.configure(800, 600' <<<"$since" && grep -q 'xdg_toplevel@[0-9]*\.configure(640, 480' <<<"$since" &&
        [ "$(grep -o ' -> wl_surface@[0-9]*\.attach' <<<"$since" | sort | uniq -c | awk '$1 >= 20' | wc -l)" -ge 2 ]
}
idle_drew_everywhere() {
    local log=$MUTTER_FILES/watcher.err from
    wait_until 50 surfaces_made "$log" $((2 * $1)) || fail "saver $1 made no surface for each monitor"
    from=$(grep -n "$SURFACE" "$log" | sed -n "$((2 * $1 - 1))p" | cut -d: -f1)
    wait_until 100 drew_both "$log" "$from" ||
        fail "saver $1 did not draw on both monitors: $(tail -n +"$from" "$log" | grep -m5 configure)"
    note "saver $1: two surfaces, 800x600 and 640x480, each with 20 or more frames"
}
