# A private, headless GNOME compositor (mutter 43, Wayland only, on its own session bus) for the tests,
# sourced. Two virtual monitors, 800x600 and 640x480. Mutter runs as the caller, root included.
#   mutter_start            sets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, MUTTER_BUS, MUTTER_FILES
#   mutter_spawn NAME CMD...  CMD in the background, in the session, its PID in MUTTER_SPAWNED, output in
#                           $MUTTER_FILES/NAME.out, .err
#   as_mutter CMD...        CMD in the foreground, in the session
#   mutter_restart          a new mutter in place of the running one, on the same bus
#   mutter_stop             ends mutter (by its own PID) and its bus, removes its files
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
MUTTER_PID="" MUTTER_RUN_PID="" MUTTER_DIR="" MUTTER_BUS=""

mutter_command() {
    session_env "$MUTTER_DIR" ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} \
        ${MUTTER_BUS:+DBUS_SESSION_BUS_ADDRESS=$MUTTER_BUS} "$@"
    MUTTER_COMMAND=("${SESSION_ENV[@]}")
}
as_mutter() {
    mutter_command "$@"
    "${MUTTER_COMMAND[@]}"
}
mutter_spawn() {
    mutter_command "${@:2}"
    "${MUTTER_COMMAND[@]}" >"$MUTTER_FILES/$1.out" 2>"$MUTTER_FILES/$1.err" &
    MUTTER_SPAWNED=$!
}

mutter_start() {
    command -v mutter >/dev/null || { echo "SKIP: mutter is not installed"; exit 77; }
    session_dir mutter
    MUTTER_DIR=$SESSION_NEW MUTTER_FILES=$SESSION_NEW/files
    local socket=zellik-mutter-$$-$RANDOM
    unset WAYLAND_DISPLAY
    MUTTER_BUS=""
    # The shell inside the bus's session tells the bus address and mutter's PID; it starts another mutter on
    # the same bus when mutter_restart asks (a file "restart"), and ends, and the bus with it, when mutter does.
    # MUTTER_DEBUG_RESET_IDLETIME lets a test start idle time from zero.
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
    mutter_spawn mutter dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"
        while :; do
            env MUTTER_DEBUG_RESET_IDLETIME=1 mutter --headless --wayland --no-x11 --wayland-display "$1" \
                --virtual-monitor 800x600 --virtual-monitor 640x480 & echo $! >"$0/pid"; wait $!
            rm "$0/restart" 2>/dev/null || exit 0
        done' "$MUTTER_FILES" "$socket"
    MUTTER_RUN_PID=$MUTTER_SPAWNED
    export XDG_RUNTIME_DIR=$MUTTER_DIR/runtime
    for _ in $(seq 200); do
        if [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -s "$MUTTER_FILES/bus" ] && [ -s "$MUTTER_FILES/pid" ]; then
            MUTTER_PID=$(cat "$MUTTER_FILES/pid") MUTTER_BUS=$(cat "$MUTTER_FILES/bus")
            export WAYLAND_DISPLAY=$socket MUTTER_BUS
            # Ready once its idle monitor answers.
            as_mutter gdbus call --session -d org.gnome.Mutter.IdleMonitor -o /org/gnome/Mutter/IdleMonitor/Core \
                -m org.gnome.Mutter.IdleMonitor.GetIdletime >/dev/null 2>&1 && return 0
        fi
        kill -0 "$MUTTER_RUN_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: mutter did not start: $(tail -n 20 "$MUTTER_FILES/mutter.err")" >&2
    exit 1
}

# MUTTER_PID is mutter while its parent is the shell inside this shell's dbus-run-session.
mutter_own() {
    [ -n "$MUTTER_PID" ] && session_owns "$MUTTER_RUN_PID" "$(session_stat "$MUTTER_PID" | cut -d' ' -f2)"
}
# Ends mutter (as a shell restart or a crash does) and starts a new one on the same bus and Wayland socket;
# returns once its idle monitor answers.
mutter_restart() {
    local old=$MUTTER_PID
    mutter_own || return 1
    touch "$MUTTER_FILES/restart"
    kill -TERM "$old"
    for _ in $(seq 200); do
        MUTTER_PID=$(cat "$MUTTER_FILES/pid")
        [ "$MUTTER_PID" != "$old" ] && as_mutter gdbus call --session -d org.gnome.Mutter.IdleMonitor \
            -o /org/gnome/Mutter/IdleMonitor/Core -m org.gnome.Mutter.IdleMonitor.GetIdletime >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
mutter_stop() {
    if mutter_own; then # the shell inside the bus's session then ends, and the bus with it
        kill -TERM "$MUTTER_PID"
        for _ in $(seq 50); do mutter_own || break; sleep 0.1; done
        ! mutter_own || kill -KILL "$MUTTER_PID"
    fi
    session_end "$MUTTER_RUN_PID" ""
    [ -z "$MUTTER_DIR" ] || rm -rf "$MUTTER_DIR"
    MUTTER_PID="" MUTTER_RUN_PID="" MUTTER_DIR="" MUTTER_BUS=""
}
