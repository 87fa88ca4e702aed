#!/usr/bin/env bash
# Every file a build takes from the system (the compilers its CMake cache
# names, the libraries it links, the headers its compilers read) comes from a
# Debian package that the README installs for that build: one in the preset's
# package lists or one they pull in. A build that only works because some
# other list happened to be installed fails here, not on a user's machine.
# Usage: package_lists.sh REPO PRESET=BUILD_DIR...   (a missing build is skipped)
set -euo pipefail
repo=$(cd "$1" && pwd)
shift
source "$repo/scripts/common.sh"

status=0
for pair in "$@"; do
  preset=${pair%%=*} build=${pair#*=}
  if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "$preset: no build in $build, not checked"
    continue
  fi
  # shellcheck disable=SC2046 # one word per list
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
  declare -A fault=() count=()
  for i in "${!files[@]}"; do
    packages=""
    for f in "${files[i]}" "${targets[i]}"; do
      packages=${packages:-${owner[$f]:-${owner[${f#/usr}]:-}}}
    done
    for package in ${packages//,/ }; do [ -z "${installed[$package]:-}" ] || continue 2; done
    key="comes from ${packages:-no Debian package}"
    fault[$key]=${fault[$key]:-${files[i]}}
    count[$key]=$((${count[$key]:-0} + 1))
  done
  for key in "${!fault[@]}"; do
    echo "$preset: ${fault[$key]} (and $((count[$key] - 1)) more) $key;" \
      "scripts/packages-{$(preset_lists "$preset" | tr ' ' ,)}.txt do not install it"
    status=1
  done
  echo "$preset: ${#files[@]} files checked"
done
exit $status
