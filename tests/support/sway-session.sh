# A private, headless sway for the Wayland tests, sourced by them.
#
#   . tests/support/sway-session.sh
#   sway_start                 # two outputs: HEADLESS-1 1280x720 scale 1 at 0,0 and
#                              # HEADLESS-2 1600x1200 scale 2 (800x600 logical) at 1280,0
#   sway_start 1               # HEADLESS-1 alone
#   sway_spawn saver zellik --fullscreen   # in the background, as the session's account;
#                                          # $SWAY_SPAWNED is its PID
#   as_sway swaymsg -t get_outputs         # in the foreground, likewise
#   sway_stop                  # also run by the EXIT trap this file installs
#
# sway refuses to run as root, so as root the session runs under an ordinary
# account (SWAY_ACCOUNT, default zellik-test, created when missing) with a
# private 0700 XDG_RUNTIME_DIR. Headless: WLR_BACKENDS=headless, the pixman
# renderer, no input devices. Its warnings about Xwayland and DRM leases are
# expected and harmless; they go to $SWAY_FILES/sway.err.
#
# Sets SWAY_DIR (the session's directory, readable by the account), SWAY_FILES
# (in it, writable by the account: screenshots, logs) and SWAY_PID, and exports
# XDG_RUNTIME_DIR, WAYLAND_DISPLAY and SWAYSOCK. Exits with 77 (ctest's skip)
# and one line when sway, swaymsg or setpriv is missing. Without an EXIT trap
# of the caller's, it installs one that runs sway_stop; a caller with a trap
# of its own calls sway_stop there.

SWAY_PID=""
SWAY_DIR=""
SWAY_ACCOUNT=${SWAY_ACCOUNT:-$(id -un)}

sway_skip() {
    echo "SKIP: $*"
    exit 77
}

# sway_command CMD...: sets SWAY_COMMAND to CMD as the session's account, with
# a clean environment: the session's sockets, a private home, config and cache
# (Mesa's shader cache), and PATH. Extra variables: env NAME=VALUE CMD...
sway_command() {
    local environment=(HOME="$SWAY_DIR/home" XDG_RUNTIME_DIR="$SWAY_DIR/runtime"
        XDG_CONFIG_HOME="$SWAY_DIR/home/.config" XDG_CACHE_HOME="$SWAY_DIR/home/.cache"
        PATH=/usr/sbin:/usr/bin:/sbin:/bin)
    # Only once the session exists: sway takes an empty SWAYSOCK for a path.
    [ -z "${WAYLAND_DISPLAY:-}" ] || environment+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY")
    [ -z "${SWAYSOCK:-}" ] || environment+=(SWAYSOCK="$SWAYSOCK")
    SWAY_COMMAND=(env -i "${environment[@]}" "$@")
    if [ "$SWAY_ACCOUNT" != "$(id -un)" ]; then
        # setpriv executes the command in its own process (runuser would wait
        # in between), so a background job's PID is the program's own.
        SWAY_COMMAND=(setpriv --reuid="$SWAY_ACCOUNT" --regid="$SWAY_ACCOUNT" --init-groups "${SWAY_COMMAND[@]}")
    fi
}

# as_sway CMD...: runs CMD as the session's account and waits for it.
as_sway() {
    sway_command "$@"
    "${SWAY_COMMAND[@]}"
}

# sway_spawn NAME CMD...: starts CMD in the background as the session's
# account; SWAY_SPAWNED is its PID (the program's own, for kill and wait). Its
# output goes to $SWAY_FILES/NAME.out and NAME.err.
sway_spawn() {
    local name=$1
    shift
    sway_command "$@"
    "${SWAY_COMMAND[@]}" >"$SWAY_FILES/$name.out" 2>"$SWAY_FILES/$name.err" &
    SWAY_SPAWNED=$!
}

# sway_start [OUTPUTS]: starts sway with the two outputs above (or the first
# alone) and waits until they exist with their final shape (at most 15 s).
sway_start() {
    local outputs=${1:-2} tool
    for tool in sway swaymsg; do
        command -v "$tool" >/dev/null || sway_skip "$tool is not installed (scripts/install-deps.sh wayland)"
    done
    if [ "$(id -u)" = 0 ] && [ "$SWAY_ACCOUNT" = root ]; then
        SWAY_ACCOUNT=zellik-test
        command -v setpriv >/dev/null || sway_skip "setpriv is missing"
        id "$SWAY_ACCOUNT" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$SWAY_ACCOUNT"
    fi
    SWAY_DIR=$(mktemp -d /tmp/zellik-sway.XXXXXX)
    SWAY_FILES=$SWAY_DIR/files
    mkdir -p "$SWAY_DIR/runtime" "$SWAY_DIR/files" "$SWAY_DIR/home/.config" "$SWAY_DIR/home/.cache"
    chmod 755 "$SWAY_DIR"
    chmod 700 "$SWAY_DIR/runtime"
    cat >"$SWAY_DIR/sway.config" <<'EOT'
output HEADLESS-1 resolution 1280x720 position 0 0 scale 1
output HEADLESS-2 resolution 1600x1200 position 1280 0 scale 2
default_border none
focus_follows_mouse yes
mouse_warping none
EOT
    if [ "$SWAY_ACCOUNT" != "$(id -un)" ]; then
        chown -R "$SWAY_ACCOUNT" "$SWAY_DIR/runtime" "$SWAY_DIR/files" "$SWAY_DIR/home"
    fi
    [ -n "$(trap -p EXIT)" ] || trap sway_stop EXIT
    unset WAYLAND_DISPLAY SWAYSOCK
    sway_spawn sway env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_HEADLESS_OUTPUTS="$outputs" sway -c "$SWAY_DIR/sway.config"
    SWAY_PID=$SWAY_SPAWNED

    local i socket ipc shaped='"scale": 2\.0'
    [ "$outputs" = 2 ] || shaped='"name": "HEADLESS-1"'
    for i in $(seq 150); do
        socket=$(find "$SWAY_DIR/runtime" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -printf '%f\n' | head -n1)
        ipc=$(find "$SWAY_DIR/runtime" -maxdepth 1 -name 'sway-ipc.*.sock' | head -n1)
        if [ -n "$socket" ] && [ -n "$ipc" ]; then
            export WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc XDG_RUNTIME_DIR=$SWAY_DIR/runtime
            if as_sway swaymsg -t get_outputs 2>/dev/null | grep -q "$shaped"; then
                return 0
            fi
        fi
        kill -0 "$SWAY_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$SWAY_FILES/sway.err" >&2
    echo "FAIL: sway did not start with its outputs" >&2
    exit 1
}

# sway_stop: ends sway (swaymsg exit, then KILL after 5 s) and removes the
# session's files. Programs started with sway_spawn are the caller's to end.
sway_stop() {
    if [ -n "$SWAY_PID" ]; then
        if kill -0 "$SWAY_PID" 2>/dev/null; then
            as_sway timeout 5 swaymsg exit >/dev/null 2>&1 || kill -TERM "$SWAY_PID" 2>/dev/null || true
            local i
            for i in $(seq 50); do
                kill -0 "$SWAY_PID" 2>/dev/null || break
                sleep 0.1
            done
            kill -KILL "$SWAY_PID" 2>/dev/null || true
        fi
        wait "$SWAY_PID" 2>/dev/null || true
        SWAY_PID=""
    fi
    if [ -n "$SWAY_DIR" ]; then
        rm -rf "$SWAY_DIR"
        SWAY_DIR=""
    fi
}
