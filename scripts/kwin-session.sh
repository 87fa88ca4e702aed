# A private, headless KWin (virtual outputs, QPainter compositing, its own session bus) for the Wayland
# tests, sourced. Debian 12's KWin 5.27: two virtual outputs of 800x600, Virtual-0 and Virtual-1 side by side.
#   kwin_start [N]          N outputs (2), each 800x600; sets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, KWIN_BUS
#   kwin_spawn NAME CMD...  CMD in the background, in the session, its PID in KWIN_SPAWNED, output in
#                           $KWIN_FILES/NAME.out, .err
#   as_kwin CMD...          CMD in the foreground, in the session (its Wayland socket and session bus)
#   kwin_stop               ends KWin (by its own PID) and its bus, removes its files
# KWin runs as the caller, root included. Its binary carries a file capability (cap_sys_resource) that a
# container's bounding set may lack, which makes execve fail with EPERM for everyone; then it is started
# through the dynamic loader, which grants no capability (KWIN_FORCE_OWN_QPA: its Qt platform plugin
# otherwise declines a process whose executable is not named kwin_wayland). What a KWin script prints goes
# to $KWIN_FILES/kwin.err, as "js: ..." lines.
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
KWIN_PID="" KWIN_RUN_PID="" KWIN_DIR="" KWIN_BUS=""

kwin_command() {
    session_env "$KWIN_DIR" XDG_CONFIG_HOME="$KWIN_DIR/home/.config" XDG_CACHE_HOME="$KWIN_DIR/home/.cache" \
        ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} ${KWIN_BUS:+DBUS_SESSION_BUS_ADDRESS=$KWIN_BUS} "$@"
    KWIN_COMMAND=("${SESSION_ENV[@]}")
}
as_kwin() {
    kwin_command "$@"
    "${KWIN_COMMAND[@]}"
}
kwin_spawn() {
    kwin_command "${@:2}"
    "${KWIN_COMMAND[@]}" >"$KWIN_FILES/$1.out" 2>"$KWIN_FILES/$1.err" &
    KWIN_SPAWNED=$!
}

kwin_start() {
    command -v kwin_wayland >/dev/null || { echo "SKIP: kwin_wayland is not installed"; exit 77; }
    local kwin=(kwin_wayland) loader
    if ! kwin_wayland --version >/dev/null 2>&1; then
        loader=$(readelf -l "$(command -v kwin_wayland)" 2>/dev/null | sed -n 's/.*interpreter: \(.*\)]$/\1/p')
        [ -x "$loader" ] || { echo "SKIP: kwin_wayland cannot be started here"; exit 77; }
        kwin=(env KWIN_FORCE_OWN_QPA=1 "$loader" "$(command -v kwin_wayland)")
    fi
    session_dir kwin
    KWIN_DIR=$SESSION_NEW KWIN_FILES=$SESSION_NEW/files
    local socket=zellik-kwin-$$-$RANDOM
    unset WAYLAND_DISPLAY
    KWIN_BUS=""
    session_bus "$KWIN_FILES" env QT_LOGGING_RULES=kwin_scripting.debug=true KWIN_COMPOSE=Q \
        KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "${kwin[@]}" --virtual --width 800 \
        --height 600 --output-count "${1:-2}" --socket "$socket" --no-lockscreen --no-global-shortcuts
    kwin_spawn kwin "${SESSION_BUS_COMMAND[@]}"
    KWIN_RUN_PID=$KWIN_SPAWNED
    export XDG_RUNTIME_DIR=$KWIN_DIR/runtime
    for _ in $(seq 200); do
        if [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -s "$KWIN_FILES/bus" ] && [ -s "$KWIN_FILES/pid" ]; then
            KWIN_PID=$(cat "$KWIN_FILES/pid") KWIN_BUS=$(cat "$KWIN_FILES/bus")
            export WAYLAND_DISPLAY=$socket KWIN_BUS
            # Ready once it answers on its bus (it registers org.kde.KWin after its outputs).
            as_kwin dbus-send --session --print-reply --dest=org.kde.KWin /KWin org.freedesktop.DBus.Peer.Ping \
                >/dev/null 2>&1 && return 0
        fi
        kill -0 "$KWIN_RUN_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: KWin did not start: $(tail -n 20 "$KWIN_FILES/kwin.err")" >&2
    exit 1
}

# KWin is KWIN_PID while its parent is still this shell's dbus-run-session, which ends with it and takes the
# bus along.
kwin_stop() {
    session_end "$KWIN_RUN_PID" "$KWIN_PID"
    [ -z "$KWIN_DIR" ] || rm -rf "$KWIN_DIR"
    KWIN_PID="" KWIN_RUN_PID="" KWIN_DIR="" KWIN_BUS=""
}
