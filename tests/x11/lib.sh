# Shared steps of the saver's X11 tests: a private Xvfb, the saver in the
# background, screenshots, and waiting for a process with a deadline.
# Every X client runs under `timeout`, so a hung server fails the test
# instead of hanging it. Sourced by the test scripts; expects ZELLIK to name
# the program under test.
set -euo pipefail

WORK=$(mktemp -d /tmp/zellik-x11-test.XXXXXX)
chmod 755 "$WORK"
export XDG_CONFIG_HOME="$WORK/config"
export XDG_CACHE_HOME="$WORK/cache" # Mesa's shader cache stays out of $HOME
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11
XVFB_PID=""
BACKGROUND_PIDS=()

cleanup() {
    local pid
    for pid in "${BACKGROUND_PIDS[@]}"; do
        kill -KILL "$pid" 2>/dev/null || true
    done
    if [ -n "$XVFB_PID" ]; then
        kill -TERM "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() { echo "-- $*"; }

# start_xvfb [WxH]: a server of our own on the first free display number.
start_xvfb() {
    local size=${1:-640x480}
    : >"$WORK/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset "${@:2}" 3>"$WORK/display" \
        >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do
        if grep -q '^[0-9]' "$WORK/display"; then
            export DISPLAY=":$(head -n1 "$WORK/display")"
            return 0
        fi
        sleep 0.1
    done
    cat "$WORK/xvfb.log" >&2
    fail "Xvfb did not start"
}

# alive PID: the process runs (a zombie that has not been reaped counts as gone).
alive() {
    [ -r "/proc/$1/stat" ] || return 1
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ "$state" != Z ]
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_gone PID MILLISECONDS: true when the process ended within the time.
wait_gone() {
    local deadline=$(($(now_ms) + $2))
    while alive "$1"; do
        [ "$(now_ms)" -le "$deadline" ] || return 1
        sleep 0.02
    done
    return 0
}

# start_zellik NAME ARGS...: runs the saver in the background; sets ZPID.
# Its output goes to $WORK/NAME.out and $WORK/NAME.err.
start_zellik() {
    local name=$1
    shift
    "$ZELLIK" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    ZPID=$!
    BACKGROUND_PIDS+=("$ZPID")
}

# exit_status PID: the status of an ended background process.
exit_status() {
    local status=0
    wait "$1" || status=$?
    echo "$status"
}

# screenshot FILE [GEOMETRY]: the root window, cropped to GEOMETRY (WxH+X+Y).
screenshot() {
    timeout 10 /usr/bin/import -window root "$1"
    if [ -n "${2:-}" ]; then
        /usr/bin/convert "$1" -crop "$2" +repage "$1"
    fi
}

# brightest FILE: the largest channel value in the image, 0 to 1.
brightest() { /usr/bin/convert "$1" -format '%[fx:maxima]' info:; }

is_black() { [ "$(brightest "$1")" = 0 ]; }

# tiles_shown FILE: the upper half of the picture is not black. The logo
# strip in the lower right corner shows from the first frame; the tiles fade
# in, and they are what says the kaleidoscope is drawn.
tiles_shown() {
    local size
    size=$(/usr/bin/identify -format '%wx%h' "$1")
    /usr/bin/convert "$1" -crop "${size%x*}x$((${size#*x} / 2))+0+0" +repage "$1.top.png"
    ! is_black "$1.top.png"
}

# wait_picture FILE [GEOMETRY]: polls screenshots of the area (the whole
# screen by default) until the tiles show, which comes some frames after the
# window; gives up after 10 seconds.
wait_picture() {
    local deadline=$(($(now_ms) + 10000))
    while [ "$(now_ms)" -le "$deadline" ]; do
        screenshot "$1" "${2:-}"
        tiles_shown "$1" && return 0
        sleep 0.2
    done
    return 1
}

# wait_quarters FILE WxH: polls until each quarter of a screen of that size
# has pixels: the picture is centred on the screen and fills it, not a corner.
wait_quarters() {
    local w=${2%x*} h=${2#*x} deadline=$(($(now_ms) + 10000)) crop dark
    while [ "$(now_ms)" -le "$deadline" ]; do
        screenshot "$1"
        dark=""
        for crop in "$((w / 2))x$((h / 2))+0+0" "$((w / 2))x$((h / 2))+$((w / 2))+0" \
            "$((w / 2))x$((h / 2))+0+$((h / 2))" "$((w / 2))x$((h / 2))+$((w / 2))+$((h / 2))"; do
            /usr/bin/convert "$1" -crop "$crop" +repage "$1.part.png"
            is_black "$1.part.png" && dark="$dark $crop"
        done
        [ -z "$dark" ] && return 0
        sleep 0.2
    done
    echo "still black:$dark" >&2
    return 1
}

# keep_shot FILE NAME: copies a screenshot where a person can look at it.
keep_shot() {
    if [ -n "${ZELLIK_TEST_SHOTS:-}" ]; then
        mkdir -p "$ZELLIK_TEST_SHOTS"
        cp "$1" "$ZELLIK_TEST_SHOTS/$2"
    fi
}

xdo() { timeout 10 xdotool "$@"; }
