# The idle watcher in an X11 session (Plasma on X11, Cinnamon, Xfce without its saver, a bare window manager),
# for saver_e2e.sh: Xvfb with a session bus of its own, no Wayland display and no Mutter, so the watcher takes
# the X server's IDLETIME; input through XTEST (xdotool), as the server counts a user's.
SESSION=x11
. "$here/idle.sh"

host_begin() { session_begin; }
# Xvfb has one monitor: the saver's full-screen window shows the kaleidoscope on it.
idle_drew_everywhere() { expect_picture "idle-$1" kaleidoscope; }

# A player that calls XResetScreenSaver (xset s reset, as xdg-screensaver reset does) more often than the idle
# time holds the saver off for three idle periods; once it stops, the saver comes after an idle period.
case_idle_reset() {
    local player
    host_set IdleMinutes 1
    spawn player sh -c "while :; do xset s reset; sleep $((IDLE_MS / 4000)).$((IDLE_MS / 4 % 1000 / 100)); done"
    player=$SPAWNED
    BACKGROUND_PIDS+=("$player")
    watch_idle "$ZELLIK" --idle
    sleep $((IDLE_MS * 3 / 1000 + 1))
    ! said "saver started" 1 || fail "a saver started while a player reset the X server's idle time"
    kill -TERM "$player"
    idle_cycle 1
}
# An inhibitor held at the session's power manager holds the saver off for two idle periods each: at Xfce's
# (org.freedesktop.PowerManagement.Inhibit), and at KDE's policy agent, where org.freedesktop.ScreenSaver's
# inhibitors go; one that answers that none is held does not.
power_manager() { # fdo|kde held|free: the stand-in, ready (MANAGER: its PID)
    spawn manager "$ZELLIK_TEST_CLIENT" power-manager "$1" "$2"
    MANAGER=$SPAWNED
    BACKGROUND_PIDS+=("$MANAGER")
    wait_until 50 grep -q ready "$FILES/manager.out" || fail "no power manager: $(cat "$FILES/manager.err")"
}
case_idle_power_manager() {
    power_manager fdo held
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    sleep $((IDLE_MS * 2 / 1000 + 1))
    ! said "saver started" 1 || fail "a saver started while an inhibitor was held at the power manager"
    kill -TERM "$MANAGER"
    power_manager kde held
    sleep $((IDLE_MS * 2 / 1000 + 1))
    ! said "saver started" 1 || fail "a saver started while a screen saver inhibitor was held at KDE's agent"
    kill -TERM "$MANAGER"
    power_manager kde free
    key # the next idle period counts from here
    idle_cycle 1
}
