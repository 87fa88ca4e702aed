#!/usr/bin/env bash
# The README's picture of the settings dialog (docs/dialog.png): `zellik -c` on a private Xvfb, its live
# preview at seed 42, the dialog window alone, taken once the preview shows a lit kaleidoscope; 10 minutes
# stored and the session's watcher lock held (by flock, as a running `zellik --idle` holds it).
# Usage: scripts/make-dialog-picture.sh [BUILD_DIR [OUT_DIR]]   (default build/linux docs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
out=${2:-$root/docs}
zellik=$build/host/linux/zellik picture=$build/zellik-picture
[ -x "$zellik" ] && [ -x "$picture" ] || { echo "make-dialog-picture: build $build first" >&2; exit 1; }
. "$root/scripts/xvfb.sh"
work=$(mktemp -d /tmp/zellik-dialog-picture.XXXXXX)
dialog="" XVFB_PID=""
trap '[ -z "$dialog" ] || { kill -KILL "$dialog" && wait "$dialog"; } 2>/dev/null; [ -z "$XVFB_PID" ] || xvfb_stop "$XVFB_PID"; rm -rf "$work"' EXIT
xvfb_start "$work" 640x480x24
export XDG_CONFIG_HOME=$work/config NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11 ZELLIK_SEED=42
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus MESA_SHADER_CACHE_DIR=$build/mesa-cache
export XDG_RUNTIME_DIR=$work/runtime
unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$zellik" -c --idle-minutes 10
exec 9>"$XDG_RUNTIME_DIR/zellik-idle-$DISPLAY.lock" && flock -x 9 # held by this shell's descriptor
"$zellik" -c >/dev/null 2>"$work/err" &
dialog=$!
id=$(timeout 20 xdotool search --sync --onlyvisible --name '^Config dialog$' | head -n1)
# Twenty seconds in, the tiles are all on screen; then until the preview is a whole kaleidoscope (no wedge
# glide under way), its 320x200 found by its black, as the end-to-end tests find it.
sleep 20
mkdir -p "$out"
for _ in $(seq 50); do
  import -display "$DISPLAY" -window "$id" "$work/dialog.png"
  box=$(convert "$work/dialog.png" -fill white +opaque black -define connected-components:verbose=true \
    -connected-components 8 null: | awk '$NF == "srgb(0,0,0)" && $4 > most { most = $4; box = $2 } END { print box }')
  "$picture" "$work/dialog.png" kaleidoscope "$box" >/dev/null && cp "$work/dialog.png" "$out/dialog.png" &&
    echo "make-dialog-picture: wrote $out/dialog.png" && exit 0
  sleep 0.2
done
echo "make-dialog-picture: the preview never showed a whole kaleidoscope: $(cat "$work/err")" >&2
exit 1
