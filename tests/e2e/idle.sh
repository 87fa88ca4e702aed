# A Wayland desktop's session and the idle watcher (zellik --idle) as a user meets it, for saver_e2e.sh; sourced
# by a desktop's host file after it sets SESSION (sway, kwin or mutter: scripts/SESSION-session.sh). The host
# defines idle_drew_everywhere N (saver N drew on every monitor) or configured, and key. spawn NAME CMD...
# runs CMD in the session (SPAWNED: its PID; output in $FILES/NAME.out, .err), as_session CMD... as its
# account. A minute lasts IDLE_MS here (ZELLIK_IDLE_MINUTE_MS, which only tests set).
. "$here/../../scripts/$SESSION-session.sh"
session() { local name=${SESSION^^}_$1; echo "${!name}"; } # VARIABLE: the session script's SESSION_VARIABLE
session_begin() { # FILES and INI in the running session
    at_exit "${SESSION}_stop"
    "${SESSION}_start"
    FILES=$(session FILES) INI=$(session DIR)/home/.config/zellik/zellik.ini
}
spawn() {
    "${SESSION}_spawn" "$@"
    SPAWNED=$(session SPAWNED)
}
as_session() { "as_$SESSION" "$@"; }
IDLE_MS=2000
said() { [ "$(grep -c "$1" "$FILES/watcher.out" 2>/dev/null)" -ge "$2" ]; } # TEXT COUNT
no_saver_for() { sleep $((IDLE_MS * $1 / 1000 + 1)) && ! said "saver started" 1 || fail "a saver started ${*:2}"; } # N WHAT
watcher_says() { cat "$FILES/watcher.out" "$FILES/watcher.err" 2>/dev/null | grep -v '^\[' | tail -n 8; }
watch_idle() { # CMD...: the watcher with its trace
    spawn watcher env ZELLIK_IDLE_MINUTE_MS=$IDLE_MS ${IDLE_ENV:-} "$@" --trace
    WATCHER=$SPAWNED
    BACKGROUND_PIDS+=("$WATCHER")
}
idle_started() { # N: saver N has started (IDLE_SAVER: its PID)
    wait_until $((IDLE_MS / 100 + 130)) said "saver started" "$1" || fail "saver $1 did not start: $(watcher_says)"
    IDLE_SAVER=$(grep "saver started" "$FILES/watcher.out" | tail -n 1 | sed 's/.*pid //')
}
# N: after an idle period the watcher starts saver N, which draws on every monitor, stays the only one for
# more than two idle periods, and ends with 0 on a key.
idle_cycle() {
    idle_started "$1"
    idle_drew_everywhere "$1"
    sleep $((IDLE_MS * 2 / 1000 + 1))
    ! said "saver started" $(($1 + 1)) || fail "a second saver started while saver $1 ran"
    alive "$IDLE_SAVER" || fail "saver $1 ended without input: $(watcher_says)"
    key
    wait_until 50 said "saver ended, status 0" "$1" || fail "a key did not end saver $1 with 0: $(watcher_says)"
    wait_until 20 gone "$IDLE_SAVER" || fail "saver $1 still runs"
    note "saver $1: started after the idle time, drew everywhere, a key ended it with 0"
}
watcher_ends() { # WHAT: the watcher ends with 0 within 3 s, leaving no saver
    wait_until 30 gone "$WATCHER" || fail "$1: the watcher still runs"
    wait "$WATCHER" || fail "$1: the watcher's status is $?: $(watcher_says)"
    [ -z "${IDLE_SAVER:-}" ] || gone "$IDLE_SAVER" || fail "$1: the saver was left running"
    note "$1: the watcher ended with 0"
}
# Where the screen cannot be read: saver N's own protocol log (IDLE_ENV=WAYLAND_DEBUG=client), from its
# start on, shows a surface made and configured for each of the two monitors (the host's configured LOG-TEXT),
# and two surfaces given 20 or more new buffers each: frames the compositor asked for.
SURFACE=' -> xdg_wm_base@[0-9]*\.get_xdg_surface'
surfaces_made() { [ "$(grep -c "$SURFACE" "$1")" -ge "$2" ]; }
drew_both() { # LOG FROM
    local since
    since=$(tail -n +"$2" "$1")
    configured "$since" &&
        [ "$(grep -o ' -> wl_surface@[0-9]*\.attach' <<<"$since" | sort | uniq -c | awk '$1 >= 20' | wc -l)" -ge 2 ]
}
idle_drew_everywhere() {
    local log=$FILES/watcher.err from
    wait_until 50 surfaces_made "$log" $((2 * $1)) || fail "saver $1 made no surface for each monitor"
    from=$(grep -n "$SURFACE" "$log" | sed -n "$((2 * $1 - 1))p" | cut -d: -f1)
    wait_until 100 drew_both "$log" "$from" ||
        fail "saver $1 did not draw on both monitors: $(tail -n +"$from" "$log" | grep -m5 configure)"
    ! grep -q 'get_layer_surface' "$log" || parents_mapped_first "$log" $((2 * $1)) ||
        fail "saver $1 committed a popup before its layer surface had a buffer"
    note "saver $1: a surface configured for each monitor, two with 20 or more frames each"
}
# The autostart entry's command line with this build's program, or the documented one.
autostart_command() {
    local entry=$here/../../resources/linux/zellik-idle.desktop line
    line=$(sed -n 's/^Exec=[^ ]*//p' "$entry" 2>/dev/null | head -n 1)
    echo "$ZELLIK ${line:- --idle}"
}

# 2 s idle: the saver, a key ends it, the next idle period brings it back; TERM ends the watcher and saver.
case_idle() {
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    idle_cycle 1
    idle_cycle 2
    idle_started 3
    kill -TERM "$WATCHER"
    watcher_ends "TERM while the saver runs"
}
# Set up as a person does: zellik -c --idle-minutes 1 (without a display, as over ssh) and the autostart entry's
# command. A second watcher (as -c starts) exits 0 at once; a new time is taken at once, and 0 ends the watcher.
case_idle_setting() {
    as_session env -u WAYLAND_DISPLAY -u DISPLAY "$ZELLIK" -c --idle-minutes 1 || fail "-c --idle-minutes 1 failed"
    watch_idle $(autostart_command)
    idle_cycle 1
    spawn second $(autostart_command)
    wait_until 20 gone "$SPAWNED" && wait "$SPAWNED" || fail "a second watcher in the session did not exit 0"
    as_session "$ZELLIK" -c --idle-minutes 2 && wait_until 30 said "for $((2 * IDLE_MS)) ms" 1 ||
        fail "the watcher did not take the new idle time: $(watcher_says)"
    idle_cycle 2
    as_session "$ZELLIK" -c --idle-minutes 0 || fail "-c --idle-minutes 0 failed"
    watcher_ends "the idle time set to 0"
}
# Off: with no settings file, and with a 1.0 file without the key, the watcher exits 0 at once, silently,
# and no saver ever starts.
case_idle_off() {
    local t0
    for file in none 1.0; do
        [ "$file" = none ] || host_set UseMirrors 1
        t0=$(now_ms)
        watch_idle "$ZELLIK" --idle
        watcher_ends "off ($file)"
        [ $(($(now_ms) - t0)) -lt 1500 ] && [ ! -s "$FILES/watcher.out" ] && [ ! -s "$FILES/watcher.err" ] ||
            fail "off ($file): not at once and silently: $(watcher_says)"
    done
    no_saver_for 1 "while off"
}
# The compositor (and with it the session) going away ends the watcher with 0 and its saver.
case_idle_gone() {
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    idle_started 1
    kill -KILL "$(session PID)"
    watcher_ends "the compositor gone"
}
# A visible window that holds an idle inhibitor (a video playing) keeps every saver away for three idle
# periods; once it has gone, the saver comes after the next idle period.
case_idle_inhibited() {
    local client t0
    user_client inhibit
    client=$SPAWNED
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    no_saver_for 3 "while a visible window held an idle inhibitor"
    t0=$(now_ms)
    kill -TERM "$client"
    wait_until 150 said "saver started" 1 || fail "no saver once the inhibitor had gone: $(watcher_says)"
    t0=$(($(now_ms) - t0))
    [ "$t0" -ge $((IDLE_MS * 3 / 4)) ] || fail "a saver $t0 ms after the inhibitor went, before an idle period"
    note "the inhibitor gone, a saver after $t0 ms"
    idle_cycle 1
}
# A save by renaming (Emacs, vim: to zellik.ini~, then a new file) keeps the armed time; the new one comes after.
case_idle_rename() {
    host_set IdleMinutes 5
    watch_idle "$ZELLIK" --idle
    wait_until 50 said "for $((5 * IDLE_MS)) ms" 1 || fail "the watcher did not start: $(watcher_says)"
    mv "$INI" "$INI~" && sleep 1
    alive "$WATCHER" || fail "the watcher ended while the file was missing: $(watcher_says)"
    sed 's/^IdleMinutes=5$/IdleMinutes=1/' "$INI~" >"$INI"
    wait_until 30 said "for $IDLE_MS ms" 1 || fail "the new time was not armed: $(watcher_says)"
    idle_cycle 1
}
# GNOME's shell restarting (a new mutter on the same bus) leaves the watcher watching the new one.
case_idle_restart() {
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    wait_until 50 said "for $IDLE_MS ms" 1 || fail "the watcher did not start: $(watcher_says)"
    mutter_restart || fail "no new mutter"
    idle_started 1
    kill -TERM "$WATCHER"
    watcher_ends "TERM after the restart"
}
# The README's zellik -c --idle-minutes 1 in the session starts its watcher: a saver after the idle time; 0 ends it.
case_idle_cli() {
    as_session env ZELLIK_IDLE_MINUTE_MS=$IDLE_MS "$ZELLIK" -c --idle-minutes 1 >"$WORK/cli" 2>&1 || fail "$(cat "$WORK/cli")"
    idle_drew_everywhere 1
    key
    as_session "$ZELLIK" -c --idle-minutes 0 && wait_until 50 flock -n "$XDG_RUNTIME_DIR/zellik-idle-$WAYLAND_DISPLAY.lock" true ||
        fail "-c --idle-minutes 0 did not end the watcher"
}
# "Mouse Threshold" counts under the watcher: a 10-pixel move leaves its saver running, a 100-pixel move ends it
# with 0, and the next comes after an idle period; a notice of input the saver did not see (a lock screen took
# it) ends it with 0.
case_idle_threshold() {
    host_set IdleMinutes 1
    pointer "$CX" "$CY"
    watch_idle "$ZELLIK" --idle
    threshold_counts
}
threshold_counts() {
    idle_started 1
    idle_drew_everywhere 1
    pointer $((CX + 10)) "$CY" && sleep 3 # past the notice's window, 1.5 s
    alive "$IDLE_SAVER" || fail "a 10-pixel move ended the watcher's saver: $(watcher_says)"
    pointer $((CX + 110)) "$CY"
    wait_until 50 said "saver ended, status 0" 1 || fail "a 100-pixel move did not end the saver with 0: $(watcher_says)"
    note "a 10-pixel move left the watcher's saver running, a 100-pixel move ended it"
    idle_started 2
    idle_drew_everywhere 2
    sleep 2 # beyond the window of the pointer's entering the new surfaces, which the saver counts as input
    kill -USR1 "$IDLE_SAVER"
    wait_until 50 said "saver ended, status 0" 2 || fail "a notice of input it did not see left the saver up: $(watcher_says)"
    note "a notice of input the saver did not see ended it with 0"
}
# The same with a real minute, set up as a person does: zellik -c --idle-minutes 1, the autostart entry's command.
case_idle_minute() {
    IDLE_MS=60000
    # Stored where no display is seen, as a watcher started by -c would hold the lock before the traced one.
    as_session env -u WAYLAND_DISPLAY -u DISPLAY "$ZELLIK" -c --idle-minutes 1 || fail "-c --idle-minutes 1 failed"
    pointer "$CX" "$CY"
    watch_idle $(autostart_command)
    threshold_counts
}
