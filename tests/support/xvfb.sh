# A private X server for the tests and the Wine session: sourced.

# xvfb_start DIR [WxHxD]: a server on the first free display number, out of
# the caller's process group (ctest waits for a test's whole group); sets
# DISPLAY and XVFB_PID.
xvfb_start() {
    local dir=$1 number=$1/xvfb.display i
    rm -f "$number"
    setsid /usr/bin/Xvfb -displayfd 3 -screen 0 "${2:-640x480x24}" -nolisten tcp -noreset "${@:3}" \
        3>"$number" </dev/null >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for i in $(seq 100); do
        if grep -q '^[0-9]' "$number" 2>/dev/null; then
            export DISPLAY=":$(head -n1 "$number")" XVFB_PID
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
    return 1
}

xvfb_stop() {
    local i
    kill "$1" 2>/dev/null || return 0
    for i in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill -9 "$1" 2>/dev/null
}
