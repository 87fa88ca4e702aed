#!/usr/bin/env bash
# What the saver costs while nobody can see it, and how soon it draws again:
#
#   bench/pause.sh [SECONDS]        (default 10 s per case)
#
# CPU is the saver's user + system time over SECONDS (llvmpipe's threads
# included), as % of one core, with the frames traced (--trace) meanwhile.
# "Back" is the time from the command that makes it visible again to the next
# trace line. Cases:
#  - Wayland, a private headless sway (scripts/sway-session.sh, 1280x720):
#    full screen visible, full screen after `output HEADLESS-1 dpms off`, the
#    window of its own visible and hidden in the scratchpad, then shown again.
#  - X11, Xorg with the dummy driver (tests/e2e/dummy-xorg.conf; Xvfb has no
#    DPMS; needs root): a 1280x720 window of its own visible, with
#    `xset dpms force off`, back on, and fully covered by another window.
# Programs: ZELLIK_BIN (default build/linux/host/linux/zellik) and
# ZELLIK_TEST_WINDOW (default build/linux/tests/zellik-test-window).
set -euo pipefail

seconds=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
zellik=${ZELLIK_BIN:-$root/build/linux/host/linux/zellik}
window=${ZELLIK_TEST_WINDOW:-$root/build/linux/tests/zellik-test-window}
case "$seconds" in *[!0-9]* | "") echo "usage: bench/pause.sh [SECONDS]" >&2; exit 2 ;; esac
[ -x "$zellik" ] || { echo "pause bench: $zellik is not built" >&2; exit 1; }

. "$root/scripts/sway-session.sh"
. "$root/scripts/xvfb.sh"
work=$(mktemp -d /tmp/zellik-pause-bench.XXXXXX)
chmod 755 "$work"
pids=() XVFB_PID=""
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -z "$XVFB_PID" ] || xvfb_stop "$XVFB_PID"
  sway_stop || true # sway may be gone already
  rm -rf "$work"
}
trap finish EXIT

ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# row NAME PID TRACE: one table row, CPU and frames over SECONDS
row() {
  local t0 f0
  t0=$(ticks "$2") f0=$(wc -l <"$3")
  sleep "$seconds"
  awk -v n="$1" -v t=$(($(ticks "$2") - t0)) -v f=$(($(wc -l <"$3") - f0)) -v s="$seconds" \
    -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "| %s | %.2f | %.1f |\n", n, 100 * t / hz / s, f / s }'
}
# back NAME TRACE COMMAND...: ms from COMMAND to the next trace line
back() {
  local f0 t0
  f0=$(wc -l <"$2") t0=$(date +%s%N)
  "${@:3}" >/dev/null
  for _ in $(seq 2000); do [ "$(wc -l <"$2")" -gt "$f0" ] && break; sleep 0.002; done
  echo "| $1 | $((($(date +%s%N) - t0) / 1000000)) ms |" >>"$work/back.md"
}

echo "| case | CPU, % of one core | frames/s |"
echo "|---|---|---|"
sway_start 1
sway_spawn full "$zellik" --fullscreen --trace
sleep 3
row "Wayland, full screen, visible" "$SWAY_SPAWNED" "$SWAY_FILES/full.out"
as_sway swaymsg output HEADLESS-1 dpms off >/dev/null
row "Wayland, full screen, after \`dpms off\`" "$SWAY_SPAWNED" "$SWAY_FILES/full.out"
as_sway swaymsg output HEADLESS-1 dpms on >/dev/null
kill "$SWAY_SPAWNED"
sway_spawn own "$zellik" --trace
sleep 3
row "Wayland, window of its own, visible" "$SWAY_SPAWNED" "$SWAY_FILES/own.out"
as_sway swaymsg '[app_id=zellik] move scratchpad' >/dev/null
sleep 0.5
row "Wayland, window of its own, hidden (scratchpad)" "$SWAY_SPAWNED" "$SWAY_FILES/own.out"
back "Wayland, shown from the scratchpad" "$SWAY_FILES/own.out" as_sway swaymsg '[app_id=zellik] scratchpad show'
kill "$SWAY_SPAWNED"
sway_stop || true

if [ "$(id -u)" = 0 ] && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ]; then
  x_start "$work" /usr/lib/xorg/Xorg -config "$root/tests/e2e/dummy-xorg.conf" -novtswitch -sharevts \
    -logfile "$work/xorg.log"
  XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache "$zellik" --x11 --geometry 1280x720 --trace \
    >"$work/x11.out" 2>"$work/x11.err" &
  saver=$!
  pids+=("$saver")
  sleep 3
  row "X11 (dummy Xorg), window of its own, visible" "$saver" "$work/x11.out"
  if xset q 2>/dev/null | grep -q '^DPMS'; then
    xset dpms force off
    sleep 0.5
    row "X11, \`xset dpms force off\`" "$saver" "$work/x11.out"
    back "X11, \`xset dpms force on\`" "$work/x11.out" xset dpms force on
  else
    echo "pause bench: this X server has no DPMS extension; the DPMS cases are left out" >&2
  fi
  "$window" create 1400x800 >/dev/null &
  pids+=("$!")
  sleep 0.5
  row "X11, covered by another window" "$saver" "$work/x11.out"
  back "X11, the covering window gone" "$work/x11.out" kill "${pids[-1]}"
else
  echo "pause bench: X11 cases need root and Xorg's dummy driver; left out" >&2
fi
echo
echo "| made visible again | to the next frame |"
echo "|---|---|"
cat "$work/back.md"
