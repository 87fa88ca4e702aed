#!/usr/bin/env bash
# Rebuilds the generator of Zellik's artwork and repaints resources/atlas.jpg
# and resources/logo.jpg. The output is the same, byte for byte, on every run
# with the same compiler and libjpeg: the pictures are pure functions of the
# pixel position and the encoder runs its exact integer transform.
# Usage: scripts/make-artwork.sh [BUILD_DIR]   (default /tmp/zellik-artwork-build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-/tmp/zellik-artwork-build}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELLIK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target zellik-artwork -j2 >/dev/null
"$build/tools/artwork/zellik-artwork" --atlas "$root/resources/atlas.jpg" --logo "$root/resources/logo.jpg"
ls -l "$root/resources/atlas.jpg" "$root/resources/logo.jpg"
