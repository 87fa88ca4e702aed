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
KWIN_PID="" KWIN_RUN_PID="" KWIN_DIR="" KWIN_BUS=""

kwin_command() {
    KWIN_COMMAND=(env -i HOME="$KWIN_DIR/home" XDG_RUNTIME_DIR="$KWIN_DIR/runtime" PATH=/usr/sbin:/usr/bin:/sbin:/bin
        XDG_CONFIG_HOME="$KWIN_DIR/home/.config" XDG_CACHE_HOME="$KWIN_DIR/home/.cache"
        ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} ${KWIN_BUS:+DBUS_SESSION_BUS_ADDRESS=$KWIN_BUS} "$@")
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
    command -v kwin_wayland >/dev/null && command -v dbus-run-session >/dev/null ||
        { echo "SKIP: kwin_wayland or dbus-run-session is not installed"; exit 77; }
    local kwin=(kwin_wayland) loader
    if ! kwin_wayland --version >/dev/null 2>&1; then
        loader=$(readelf -l "$(command -v kwin_wayland)" 2>/dev/null | sed -n 's/.*interpreter: \(.*\)]$/\1/p')
        [ -x "$loader" ] || { echo "SKIP: kwin_wayland cannot be started here"; exit 77; }
        kwin=(env KWIN_FORCE_OWN_QPA=1 "$loader" "$(command -v kwin_wayland)")
    fi
    KWIN_DIR=$(mktemp -d /tmp/zellik-kwin.XXXXXX)
    KWIN_FILES=$KWIN_DIR/files
    mkdir -p "$KWIN_DIR/runtime" "$KWIN_FILES" "$KWIN_DIR/home/.config" "$KWIN_DIR/home/.cache"
    chmod 700 "$KWIN_DIR/runtime"
    local socket=zellik-kwin-$$-$RANDOM
    unset WAYLAND_DISPLAY
    KWIN_BUS=""
    # The shell inside the bus's session tells the bus address and KWin's PID (exec keeps the PID).
    kwin_spawn kwin dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; echo $$ >"$0/pid"; shift
        exec env QT_LOGGING_RULES=kwin_scripting.debug=true KWIN_COMPOSE=Q KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$@"' \
        "$KWIN_FILES" "${kwin[@]}" --virtual --width 800 --height 600 --output-count "${1:-2}" --socket "$socket" \
        --no-lockscreen --no-global-shortcuts
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

# KWIN_PID is KWin while its parent is still this shell's dbus-run-session (a number seen earlier may be
# another program's by now); dbus-run-session ends with it and takes the bus along.
kwin_own() {
    local parent
    parent=$(sed 's/.*) //' "/proc/$KWIN_PID/stat" 2>/dev/null | cut -d' ' -f2)
    [ -n "$parent" ] && [ "$parent" = "$KWIN_RUN_PID" ] &&
        [ "$(sed 's/.*) //' "/proc/$KWIN_RUN_PID/stat" 2>/dev/null | cut -d' ' -f2)" = "$$" ]
}
kwin_running() { # dbus-run-session still runs (an ended child not yet waited for counts as gone)
    local stat
    stat=$(sed 's/.*) //' "/proc/$KWIN_RUN_PID/stat" 2>/dev/null | cut -d' ' -f1,2)
    [ "${stat#* }" = "$$" ] && [ "${stat% *}" != Z ]
}
kwin_stop() {
    if [ -n "$KWIN_RUN_PID" ]; then
        ! kwin_own || kill -TERM "$KWIN_PID"
        for _ in $(seq 50); do kwin_running || break; sleep 0.1; done
        ! kwin_own || kill -KILL "$KWIN_PID"
        for _ in $(seq 20); do kwin_running || break; sleep 0.1; done
        ! kwin_running || kill -TERM "$KWIN_RUN_PID"
        wait "$KWIN_RUN_PID" 2>/dev/null
    fi
    [ -z "$KWIN_DIR" ] || rm -rf "$KWIN_DIR"
    KWIN_PID="" KWIN_RUN_PID="" KWIN_DIR="" KWIN_BUS=""
}
