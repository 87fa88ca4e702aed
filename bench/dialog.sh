#!/usr/bin/env bash
# What the settings dialog (zellik -c) costs with its live preview:
#
#   bench/dialog.sh [SECONDS [RUNS]]        (default 20 s a case, 3 runs)
#
# CPU is the dialog's user + system time over SECONDS (llvmpipe's threads included) as % of one core, with
# the preview drawing, with nobody able to see it, and seen again:
#  - X11: Xvfb (640x480, no window manager); unseen is the dialog unmapped as a window manager unmaps a
#    window it minimises (xdotool windowunmap; Xvfb has none to ask), then mapped again.
#  - Wayland: a private headless sway (scripts/sway-session.sh, one 1280x720 output); unseen is the dialog
#    moved to sway's scratchpad, then shown again.
# Each run is a new dialog; the table gives the median of RUNS and the lowest and highest.
# Program: ZELLIK_BIN (default build/linux/host/linux/zellik).
set -euo pipefail

seconds=${1:-20} runs=${2:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
zellik=${ZELLIK_BIN:-$root/build/linux/host/linux/zellik}
case "$seconds$runs" in *[!0-9]* | "") echo "usage: bench/dialog.sh [SECONDS [RUNS]]" >&2; exit 2 ;; esac
[ -x "$zellik" ] || { echo "dialog bench: $zellik is not built" >&2; exit 1; }

. "$root/scripts/xvfb.sh"
. "$root/scripts/sway-session.sh"
work=$(mktemp -d /tmp/zellik-dialog-bench.XXXXXX)
dialog="" XVFB_PID=""
finish() {
  [ -z "$dialog" ] || kill -KILL "$dialog" 2>/dev/null || true
  [ -z "$XVFB_PID" ] || xvfb_stop "$XVFB_PID"
  sway_stop || true
  rm -rf "$work"
}
trap finish EXIT
export XDG_CONFIG_HOME=$work/config NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus MESA_SHADER_CACHE_DIR=$root/build/linux/mesa-cache

ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
cpu() { # CASE: % of one core over SECONDS, added to CASE's list
  local t0=$(ticks "$dialog")
  sleep "$seconds"
  awk -v t=$(($(ticks "$dialog") - t0)) -v s="$seconds" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f\n", 100 * t / hz / s }' >>"$work/$1"
}
ended() { kill -KILL "$dialog" && wait "$dialog" 2>/dev/null || true; dialog=""; }

(
  unset WAYLAND_DISPLAY
  xvfb_start "$work" 640x480x24
  for _ in $(seq "$runs"); do
    "$zellik" -c >/dev/null 2>&1 &
    dialog=$!
    id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Config dialog$' | head -n1)
    sleep 2 # the context made, the first frames drawn
    cpu "X11, drawing"
    xdotool windowunmap --sync "$id" && sleep 1 && cpu "X11, unmapped (minimised)"
    xdotool windowmap --sync "$id" && sleep 1 && cpu "X11, mapped again"
    ended
  done
  xvfb_stop "$XVFB_PID"
)
sway_start 1
for _ in $(seq "$runs"); do
  sway_spawn dialog env NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory "$zellik" -c
  dialog=$SWAY_SPAWNED
  sleep 3
  cpu "Wayland (sway), drawing"
  as_sway swaymsg '[app_id=zellik] move scratchpad' >/dev/null && sleep 1 && cpu "Wayland, in the scratchpad"
  as_sway swaymsg '[app_id=zellik] scratchpad show' >/dev/null && sleep 1 && cpu "Wayland, shown again"
  ended
done

echo "| the dialog | CPU % of one core: median (lowest to highest) of $runs runs of $seconds s |"
echo "|---|---|"
for case in "X11, drawing" "X11, unmapped (minimised)" "X11, mapped again" "Wayland (sway), drawing" \
  "Wayland, in the scratchpad" "Wayland, shown again"; do
  sort -n "$work/$case" | awk -v n="$case" '{ v[NR] = $1 } END { printf "| %s | %s (%s to %s) |\n", n, v[int((NR + 1) / 2)], v[1], v[NR] }'
done
