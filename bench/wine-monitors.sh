#!/usr/bin/env bash
# The Windows saver full screen under Wine on one monitor and on two:
#
#   bench/wine-monitors.sh [SECONDS]          (default 20 s; as root)
#
# Xorg with the dummy driver (tests/e2e/dummy-xorg.conf) shows Wine one
# monitor (DUMMY0, 1280x720) and then two side by side (DUMMY1, 1024x768, to
# its right). `zellik.scr /s` runs SECONDS after a 15-second settle, twice: once
# with Wine's wgl trace on, whose swap lines count the frames, and once
# without, for the CPU (user + system time of the saver's process, llvmpipe's
# threads included, and of Xorg, from /proc). Prints a markdown table.
set -euo pipefail
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
scr=$root/build/windows/zellik.scr
[ -f "$scr" ] || { echo "wine-monitors bench: $scr is not built" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "wine-monitors bench: Xorg's dummy driver needs root" >&2; exit 1; }
. "$root/scripts/xvfb.sh"
. "$root/scripts/windows/wine-lib.sh"
work=$(mktemp -d /tmp/zellik-wine-bench.XXXXXX)
XVFB_PID=""
finish() {
  WINEPREFIX=$work/prefix timeout 30 wineserver -k 2>/dev/null || true
  [ -z "$XVFB_PID" ] || xvfb_stop "$XVFB_PID"
  rm -rf "$work"
}
trap finish EXIT
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
x_start "$work" Xorg -config "$root/tests/e2e/dummy-xorg.conf" -novtswitch -sharevts -logfile "$work/xorg.log"
xrandr --addmode DUMMY1 1024x768 2>/dev/null || true
xrandr --output DUMMY0 --mode 1280x720 --pos 0x0 --output DUMMY1 --off
xrandr >/dev/null
wine_prefix_prepare "$work/prefix" >/dev/null
hz=$(getconf CLK_TCK)
echo "| monitors | frames a second | saver CPU, % of a core | Xorg CPU, % of a core | saver CPU per frame |"
echo "|---|---|---|---|---|"
for layout in one two; do
  if [ "$layout" = two ]; then
    xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
    xrandr >/dev/null
  fi
  timeout 30 wineserver -k 2>/dev/null || true # a new server reads the monitors anew
  frames=0 cpu=0 xcpu=0
  for traced in 1 0; do
    xdotool mousemove 10 10
    WINEDEBUG=$([ "$traced" = 1 ] && echo +wgl || echo -all) wine "$scr" /s >"$work/saver.log" 2>&1 &
    wine=$!
    sleep 15 # the pacing reaches its rate within seconds
    pid=$(pgrep -n -f 'zellik\.scr' || true)
    [ -n "$pid" ] || { echo "wine-monitors bench: no saver process" >&2; exit 1; }
    lines0=$(grep -c wglSwapBuffers "$work/saver.log" || true) t0=$(ticks "$pid") x0=$(ticks "$XVFB_PID")
    sleep "$seconds"
    lines1=$(grep -c wglSwapBuffers "$work/saver.log" || true) t1=$(ticks "$pid") x1=$(ticks "$XVFB_PID")
    xdotool key a
    wait "$wine" || true
    if [ "$traced" = 1 ]; then frames=$((lines1 - lines0)); else cpu=$((t1 - t0)) xcpu=$((x1 - x0)); fi
  done
  awk -v l="$layout" -v f="$frames" -v c="$cpu" -v x="$xcpu" -v s="$seconds" -v hz="$hz" 'BEGIN {
    printf "| %s | %.1f | %.0f | %.0f | %.1f ms |\n", l, f / s, 100 * c / hz / s, 100 * x / hz / s, (f > 0 ? 1000 * c / hz / f : 0) }'
done
