#!/usr/bin/env bash
# Renders the README's preview: a still (docs/preview.png) and a short
# animation (docs/preview.webp), with the project's own headless renderer.
# Usage: scripts/make-preview.sh [BUILD_DIR]   (default build/linux)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
render=$build/tools/zellik-render
[ -x "$render" ] || { echo "make-preview: $render is missing; build first" >&2; exit 1; }
export MESA_SHADER_CACHE_DIR=$build/mesa-cache

mkdir -p "$root/docs"
"$render" --size 960x540 --frames 630 --seed 42 --out "$root/docs/preview.png"

# Ten seconds at 15 frames a second, from 14 seconds in.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$render" --size 480x270 --fps 15 --frames 360 --seed 42 --every 1 --out "$frames/" >/dev/null
mapfile -t pictures < <(find "$frames" -name 'frame-*.png' | sort | tail -n 150)
img2webp -loop 0 -lossy -q 60 -d 67 "${pictures[@]}" -o "$root/docs/preview.webp" >/dev/null
echo "make-preview: wrote docs/preview.png and docs/preview.webp"
