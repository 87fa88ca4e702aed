# An X server with two monitors for the X11 tests, sourced by them. Xvfb
# cannot show two RandR monitors side by side; Xorg with the dummy video
# driver can: its outputs DUMMY0, DUMMY1, ... take modes through xrandr.
#
#   . tests/support/xorg-dummy.sh
#   xorg_dummy_start 1280x720 1024x768   # DUMMY0 at 0,0, DUMMY1 to its right; exports DISPLAY
#   ...                                  # xrandr --listmonitors shows both
#   xorg_dummy_stop                      # also run by the EXIT trap it installs (unless the caller has one)
#
# Runs Xorg as root (the dummy driver needs no device, but Xorg as an
# ordinary user needs its setuid wrapper). Exits with 77 (ctest's skip) and one
# line when Xorg, the dummy driver or xrandr is missing.

XORG_DUMMY_PID=""
XORG_DUMMY_DIR=""

xorg_dummy_start() {
    local first=${1:-1280x720} second=${2:-1024x768}
    if ! command -v Xorg >/dev/null || ! command -v xrandr >/dev/null ||
        [ ! -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
        echo "SKIP: Xorg, its dummy driver or xrandr is missing (scripts/install-deps.sh wayland)"
        exit 77
    fi
    [ "$(id -u)" = 0 ] || { echo "SKIP: Xorg with the dummy driver runs as root here"; exit 77; }
    XORG_DUMMY_DIR=$(mktemp -d /tmp/zellik-xorg.XXXXXX)
    # Room for both monitors side by side in the virtual screen, and no input
    # devices: nothing of the machine's is touched.
    cat >"$XORG_DUMMY_DIR/xorg.conf" <<'EOT'
Section "ServerFlags"
  Option "DontVTSwitch" "true"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2160
  EndSubSection
EndSection
EOT
    [ -n "$(trap -p EXIT)" ] || trap xorg_dummy_stop EXIT
    : >"$XORG_DUMMY_DIR/display"
    Xorg -displayfd 3 -config "$XORG_DUMMY_DIR/xorg.conf" -noreset -nolisten tcp -novtswitch -sharevts \
        -logfile "$XORG_DUMMY_DIR/xorg.log" 3>"$XORG_DUMMY_DIR/display" >"$XORG_DUMMY_DIR/xorg.out" 2>&1 &
    XORG_DUMMY_PID=$!
    local i
    for i in $(seq 100); do
        grep -q '^[0-9]' "$XORG_DUMMY_DIR/display" && break
        sleep 0.1
    done
    grep -q '^[0-9]' "$XORG_DUMMY_DIR/display" || {
        cat "$XORG_DUMMY_DIR/xorg.out" >&2
        echo "FAIL: Xorg with the dummy driver did not start" >&2
        exit 1
    }
    export DISPLAY=":$(head -n1 "$XORG_DUMMY_DIR/display")"
    # A disconnected output takes a mode only once it has been given one.
    xrandr --addmode DUMMY1 "$second" 2>/dev/null || true
    xrandr --output DUMMY0 --mode "$first" --pos 0x0 --output DUMMY1 --mode "$second" --right-of DUMMY0 ||
        { echo "FAIL: xrandr could not set $first and $second" >&2; exit 1; }
}

xorg_dummy_stop() {
    if [ -n "$XORG_DUMMY_PID" ]; then
        kill "$XORG_DUMMY_PID" 2>/dev/null || true
        wait "$XORG_DUMMY_PID" 2>/dev/null || true
        XORG_DUMMY_PID=""
    fi
    if [ -n "$XORG_DUMMY_DIR" ]; then
        rm -rf "$XORG_DUMMY_DIR"
        XORG_DUMMY_DIR=""
    fi
}
