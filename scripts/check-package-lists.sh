#!/usr/bin/env bash
# Every file a build takes from the system (compilers, linked libraries,
# headers read) comes from a package the README installs for that build's
# preset, or one they pull in.
# Usage: scripts/check-package-lists.sh [PRESET=BUILD_DIR...]   (default: the linux and windows
# builds; a missing build is skipped)
set -euo pipefail
source "$(dirname "$0")/common.sh"
repo=$(pwd)
[ $# -gt 0 ] || set -- linux=build/linux windows=build/windows

status=0
for pair in "$@"; do
  preset=${pair%%=*} build=${pair#*=}
  [ -f "$build/CMakeCache.txt" ] || { echo "$preset: no build in $build, not checked"; continue; }
  mapfile -t listed < <(for area in $(preset_lists "$preset"); do
    sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "scripts/packages-$area.txt"; done)
  declare -A installed=()
  while read -r package; do installed[$package]=1; done < <(apt-cache depends --recurse --installed \
    --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances "${listed[@]}" |
    grep -v '^[ <]')
  mapfile -t files < <({
    sed -n 's|^CMAKE_[A-Z]*_COMPILER:[A-Z]*=\(/.*\)|\1|p' "$build/CMakeCache.txt"
    find "$build" -name link.txt -exec cat {} + | tr ' ' '\n' | grep -E '^/.*\.(so|a)$' || true
    find "$build" -name '*.d' -exec cat {} + | tr ' \\' '\n\n' | grep '^/[^:]*$'
  } | sort -u | xargs -r -d '\n' realpath -e -s -q | grep -v "^$repo/" | sort -u || true)
  # A link no package ships (an alternative) counts as the file it leads to.
  mapfile -t targets < <(printf '%s\n' "${files[@]}" | xargs -r -d '\n' realpath -e)
  # dpkg names a merged-/usr file by the path its package ships.
  declare -A owner=()
  while IFS= read -r line; do owner[${line##*: }]=${line%: *}; done < <(
    for f in "${files[@]}" "${targets[@]}"; do echo "$f"; [[ $f != /usr/* ]] || echo "${f#/usr}"; done |
      { xargs -r -d '\n' dpkg -S 2>/dev/null || true; } | grep -v '^diversion' |
      sed 's/:[a-z0-9]*\(,\|: \)/\1/g')
  # One line for each package at fault, naming its first file.
  declare -A fault=()
  for i in "${!files[@]}"; do
    f=${files[i]} t=${targets[i]}
    packages=${owner[$f]:-${owner[${f#/usr}]:-${owner[$t]:-${owner[${t#/usr}]:-}}}}
    for package in ${packages//,/ }; do [ -z "${installed[$package]:-}" ] || continue 2; done
    fault[${packages:-no Debian package}]=${fault[${packages:-no Debian package}]:-$f}
  done
  for key in "${!fault[@]}"; do
    echo "$preset: ${fault[$key]} comes from $key;" \
      "scripts/packages-{$(preset_lists "$preset" | tr ' ' ,)}.txt do not install it"
    status=1
  done
  echo "$preset: ${#files[@]} files checked"
done
exit $status
