# The shell tests' shared steps: a private Xvfb, processes with deadlines,
# screenshots judged by zellik-picture ($ZELLIK_PICTURE). Sourced; every X
# client runs under `timeout`, so a hung server fails a test instead of
# hanging it. WORK is this test's scratch folder, removed at exit with every
# process listed in BACKGROUND_PIDS.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

WORK=$(mktemp -d /tmp/zellik-test.XXXXXX)
chmod 755 "$WORK"
BACKGROUND_PIDS=()
AT_EXIT=()
XVFB_PID=""

# at_exit COMMAND: run at the test's end, the last registered first.
at_exit() { AT_EXIT=("$1" "${AT_EXIT[@]}"); }

session_cleanup() {
    local pid step
    for step in "${AT_EXIT[@]}"; do eval "$step"; done
    for pid in "${BACKGROUND_PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    [ -z "$XVFB_PID" ] || xvfb_stop "$XVFB_PID"
    [ -n "${ZELLIK_TEST_SHOTS:-}" ] && mkdir -p "$ZELLIK_TEST_SHOTS" && cp "$WORK"/*.png "$ZELLIK_TEST_SHOTS/" 2>/dev/null
    rm -rf "$WORK"
}
trap session_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
note() { echo "-- $*"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
xdo() { timeout 10 xdotool "$@"; }
# The display's input and size; a test of another kind of display redefines them.
pointer() { xdo mousemove "$1" "$2"; }
key() { xdo key "${1:-a}"; }
click() { xdo click 1; }
screen_size() { timeout 10 xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2 }'; }

# alive PID: the process runs (a zombie not yet reaped counts as gone).
alive() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_gone PID MILLISECONDS: true when the process ended within the time.
wait_gone() {
    local deadline=$(($(now_ms) + $2))
    while alive "$1"; do
        [ "$(now_ms)" -le "$deadline" ] || return 1
        sleep 0.02
    done
}

# shot FILE: the whole screen as a PNG.
shot() { timeout -k 2 20 /usr/bin/import -display "$DISPLAY" -window root "$1" 2>/dev/null; }

# expect_picture WHAT kaleidoscope|plain|black [WxH+X+Y]: polls screenshots
# for up to 10 s until one is as expected (the tiles fade in some frames
# after the window shows, and a wedge glide breaks the symmetry for two
# seconds); the last stays in $WORK/WHAT.png.
expect_picture() {
    local file=$WORK/$1.png deadline=$(($(now_ms) + 10000)) said=""
    while [ "$(now_ms)" -le "$deadline" ]; do
        if shot "$file" && said=$("$ZELLIK_PICTURE" "$file" "${@:2}"); then
            note "$1: $said"
            return 0
        fi
        sleep 0.3
    done
    fail "$1: ${said:-no screenshot} ($file)"
}
