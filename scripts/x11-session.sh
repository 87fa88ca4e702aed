# A private X11 session for the tests, sourced: Xvfb and a session bus of its own, no Wayland display and no
# Mutter, as Plasma on X11, Cinnamon, Xfce or a bare window manager give their programs. It runs as the caller.
#   x11_start [WxHxD]        Xvfb (1024x768x24) and the bus; sets DISPLAY, X11_BUS, X11_FILES
#   x11_spawn NAME CMD...    CMD in the background, in the session, its PID in X11_SPAWNED, output in
#                            $X11_FILES/NAME.out, .err
#   as_x11 CMD...            CMD in the foreground, in the session
#   x11_stop                 ends the bus and the X server (by their own PIDs), removes the files
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
X11_PID="" X11_RUN_PID="" X11_DIR="" X11_BUS="" X11_DISPLAY=""

x11_command() {
    session_env "$X11_DIR" ${X11_DISPLAY:+DISPLAY=$X11_DISPLAY} ${X11_BUS:+DBUS_SESSION_BUS_ADDRESS=$X11_BUS} "$@"
    X11_COMMAND=("${SESSION_ENV[@]}")
}
as_x11() {
    x11_command "$@"
    "${X11_COMMAND[@]}"
}
x11_spawn() {
    x11_command "${@:2}"
    "${X11_COMMAND[@]}" >"$X11_FILES/$1.out" 2>"$X11_FILES/$1.err" &
    X11_SPAWNED=$!
}

x11_start() {
    command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
    session_dir x11
    X11_DIR=$SESSION_NEW X11_FILES=$SESSION_NEW/files X11_BUS="" X11_DISPLAY=""
    x_start "$X11_FILES" /usr/bin/Xvfb -screen 0 "${1:-1024x768x24}" || exit 1
    X11_PID=$XVFB_PID X11_DISPLAY=$DISPLAY
    session_bus "$X11_FILES" sleep infinity
    x11_spawn bus "${SESSION_BUS_COMMAND[@]}"
    X11_RUN_PID=$X11_SPAWNED
    for _ in $(seq 100); do
        if [ -s "$X11_FILES/bus" ] && [ -s "$X11_FILES/pid" ]; then
            X11_BUS=$(cat "$X11_FILES/bus")
            export X11_BUS
            return 0
        fi
        kill -0 "$X11_RUN_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: the session bus did not start: $(cat "$X11_FILES/bus.err")" >&2
    exit 1
}

x11_stop() {
    [ -z "$X11_RUN_PID" ] || session_end "$X11_RUN_PID" "$(cat "$X11_FILES/pid" 2>/dev/null)"
    [ -z "$X11_PID" ] || xvfb_stop "$X11_PID"
    [ -z "$X11_DIR" ] || rm -rf "$X11_DIR"
    X11_PID="" X11_RUN_PID="" X11_DIR="" X11_BUS="" X11_DISPLAY=""
}
