#!/usr/bin/env bash
# Renders the README's preview: a still (preview.png) and a short animation
# (preview.webp), with the project's own headless renderer.
# Usage: scripts/make-preview.sh [BUILD_DIR [OUT_DIR]]   (default build/linux docs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
out=${2:-$root/docs}
render=$build/tools/zellik-render
[ -x "$render" ] || { echo "make-preview: $render is missing; build first" >&2; exit 1; }
export MESA_SHADER_CACHE_DIR=$build/mesa-cache

mkdir -p "$out"
"$render" --size 960x540 --frames 630 --seed 42 --out "$out/preview.png"

# Ten seconds at 15 frames a second, from 14 seconds in.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$render" --size 480x270 --fps 15 --frames 360 --seed 42 --every 1 --out "$frames/" >/dev/null
mapfile -t pictures < <(find "$frames" -name 'frame-*.png' | sort | tail -n 150)
img2webp -loop 0 -lossy -q 60 -d 67 "${pictures[@]}" -o "$out/preview.webp" >/dev/null
echo "make-preview: wrote $out/preview.png and $out/preview.webp"
