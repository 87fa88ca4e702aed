#!/usr/bin/env bash
# Draws the reference pictures of tests/render/references/frames.txt anew with
# the Linux build's zellik-render. Look at each one before committing it: the
# tests then hold every build to exactly these pictures.
set -euo pipefail
source "$(dirname "$0")/common.sh"
render=build/linux/tools/zellik-render
[ -x "$render" ] || build_preset linux
references=tests/render/references
while read -r name size seed frames mirrors _; do
  case "$name" in '' | '#'*) continue ;; esac
  env -u DISPLAY MESA_SHADER_CACHE_DIR="$root/build/linux/mesa-cache" \
    "$render" --size "$size" --seed "$seed" --frames "$frames" --mirrors "$mirrors" --out "$references/$name.png"
  echo "$references/$name.png"
done <"$references/frames.txt"
