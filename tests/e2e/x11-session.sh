# The idle watcher in an X11 session (as Plasma on X11, Cinnamon, Xfce, i3 give), for saver_e2e.sh: Xvfb with its
# own bus, no Wayland, no Mutter, so the watcher takes the X server's IDLETIME; input through XTEST (xdotool).
SESSION=x11
. "$here/idle.sh"

host_begin() { session_begin; }
# Xvfb has one monitor: the saver's full-screen window shows the kaleidoscope on it.
idle_drew_everywhere() { expect_picture "idle-$1" kaleidoscope; }

# A player that calls XResetScreenSaver (xset s reset, as xdg-screensaver reset does) more often than the idle
# time holds the saver off for three idle periods; once it stops, the saver comes after an idle period.
case_idle_reset() {
    host_set IdleMinutes 1
    watch_idle "$ZELLIK" --idle
    spawn player sh -c "while :; do xset s reset; sleep $((IDLE_MS / 4000)).$((IDLE_MS / 4 % 1000 / 100)); done"
    BACKGROUND_PIDS+=("$SPAWNED")
    no_saver_for 3 "while a player reset the X server's idle time"
    kill -TERM "$SPAWNED"
    idle_cycle 1
}
# An inhibitor held at the power manager holds the saver off for two idle periods each: at Xfce's (freedesktop's
# interface) and at KDE's agent (where org.freedesktop.ScreenSaver's go); one that holds none does not.
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
    no_saver_for 2 "while an inhibitor was held at the power manager"
    kill -TERM "$MANAGER"
    power_manager kde held
    no_saver_for 2 "while a screen saver inhibitor was held at KDE's agent"
    kill -TERM "$MANAGER"
    power_manager kde free
    key # the next idle period counts from here
    idle_cycle 1
}
