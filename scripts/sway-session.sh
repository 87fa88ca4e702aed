# A private, headless sway (pixman, no input devices) for the Wayland tests and benchmarks, sourced.
#   sway_start [1]          HEADLESS-1 1280x720, HEADLESS-2 1600x1200 at scale 2 to its right (or the first alone)
#   sway_spawn NAME CMD...  CMD in the background, its PID in SWAY_SPAWNED, output in $SWAY_FILES/NAME.out, .err
#   as_sway CMD...          CMD in the foreground, as the session's account (the caller's; as root: zellik-test)
#   sway_stop               ends sway, removes its files
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
SWAY_PID="" SWAY_DIR="" SWAY_ACCOUNT=$(id -un)
[ "$SWAY_ACCOUNT" != root ] || SWAY_ACCOUNT=zellik-test

# A clean environment with the session's sockets; setpriv execs, so a background job's PID is its own.
sway_command() {
    session_env "$SWAY_DIR" ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK} "$@"
    SWAY_COMMAND=("${SESSION_ENV[@]}")
    [ "$SWAY_ACCOUNT" = "$(id -un)" ] ||
        SWAY_COMMAND=(setpriv --reuid="$SWAY_ACCOUNT" --regid="$SWAY_ACCOUNT" --init-groups "${SWAY_COMMAND[@]}")
}
as_sway() {
    sway_command "$@"
    "${SWAY_COMMAND[@]}"
}
sway_spawn() {
    sway_command "${@:2}"
    "${SWAY_COMMAND[@]}" >"$SWAY_FILES/$1.out" 2>"$SWAY_FILES/$1.err" &
    SWAY_SPAWNED=$!
}

sway_start() {
    command -v sway >/dev/null && command -v swaymsg >/dev/null || { echo "SKIP: sway is not installed"; exit 77; }
    if [ "$SWAY_ACCOUNT" != "$(id -un)" ]; then # only root switches accounts
        id "$SWAY_ACCOUNT" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$SWAY_ACCOUNT"
        setpriv --reuid="$SWAY_ACCOUNT" --regid="$SWAY_ACCOUNT" --init-groups true ||
            { echo "SKIP: the account $SWAY_ACCOUNT cannot run programs here"; exit 77; }
    fi
    session_dir sway
    SWAY_DIR=$SESSION_NEW SWAY_FILES=$SESSION_NEW/files
    chown -R "$SWAY_ACCOUNT" "$SWAY_DIR"
    # No pointer warps: a warp would move the pointer under a running saver.
    printf '%s\n' 'output HEADLESS-1 resolution 1280x720 position 0 0 scale 1' 'default_border none' \
        'output HEADLESS-2 resolution 1600x1200 position 1280 0 scale 2' 'mouse_warping none' >"$SWAY_DIR/sway.config"
    unset WAYLAND_DISPLAY SWAYSOCK
    sway_spawn sway env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_HEADLESS_OUTPUTS="${1:-2}" sway -c "$SWAY_DIR/sway.config"
    SWAY_PID=$SWAY_SPAWNED
    local shaped='"scale": 2\.0'
    [ "${1:-2}" = 2 ] || shaped='"name": "HEADLESS-1"'
    for _ in $(seq 150); do
        export XDG_RUNTIME_DIR=$SWAY_DIR/runtime
        export WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? 2>/dev/null | head -n1)
        export SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n1)
        [ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] && as_sway swaymsg -t get_outputs 2>/dev/null | grep -q "$shaped" &&
            return 0
        kill -0 "$SWAY_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "FAIL: sway did not start with its outputs: $(cat "$SWAY_FILES/sway.err")" >&2
    exit 1
}

# SWAY_PID is still this shell's sway: once it has ended, its number may be another program's.
sway_stop() {
    if [ -n "$SWAY_PID" ] && session_child_runs "$SWAY_PID"; then
        as_sway timeout 5 swaymsg exit >/dev/null 2>&1 || kill "$SWAY_PID"
        for _ in $(seq 50); do session_child_runs "$SWAY_PID" || break; sleep 0.1; done
        ! session_child_runs "$SWAY_PID" || kill -KILL "$SWAY_PID" 2>/dev/null
        wait "$SWAY_PID" 2>/dev/null
    fi
    [ -z "$SWAY_DIR" ] || rm -rf "$SWAY_DIR"
    SWAY_PID="" SWAY_DIR=""
}
