# x_start DIR SERVER ARGS...: a private X server on the first free display, out of the test's process
# group (ctest waits for the whole group); sets DISPLAY and XVFB_PID. SERVER may start with sudo, which
# keeps the standard output that the display number comes on. Sourced.
x_start() {
    rm -f "$1/x.display"
    setsid "${@:2}" -displayfd 1 -nolisten tcp -noreset </dev/null >"$1/x.display" 2>"$1/x.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        grep -q '^[0-9]' "$1/x.display" 2>/dev/null && export DISPLAY=":$(head -n1 "$1/x.display")" XVFB_PID && return 0
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "${*:2} did not start: $(cat "$1/x.log")" >&2
    return 1
}
xvfb_start() { x_start "$1" /usr/bin/Xvfb -screen 0 "${2:-640x480x24}" "${@:3}"; } # DIR [WxHxD [ARGS...]]

xvfb_stop() {
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill -9 "$1" 2>/dev/null
}
