#!/usr/bin/env bash
# Builds the release of the last commit twice, in two temporary directories
# of different names, with a different time zone, locale and umask, and
# compares zellik.scr and everything in dist/ byte for byte.
# Usage: scripts/check-reproducible.sh [KEEP_DIR]   (uses the cached cross-built libjpeg;
# the first build's dist/ is kept in KEEP_DIR when given, for the package tests)
set -euo pipefail
source "$(dirname "$0")/common.sh"

# shellcheck disable=SC2046 # one word per list
bash scripts/install-deps.sh $(preset_lists release-linux) $(preset_lists release-windows) release
commit=$(git rev-parse --short HEAD)
epoch=$(git log -1 --format=%ct)
jpeg=${ZELLIK_MINGW_JPEG_PREFIX:-$root/build/mingw-libjpeg/prefix}
quietly bash scripts/build-mingw-libjpeg.sh "$(dirname "$jpeg")"

work=$(mktemp -d "${TMPDIR:-/tmp}/zellik-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
started=$(date +%s)
for build in one second-build; do
  tree=$work/$build/zellik
  mkdir -p "$tree"
  git archive "$commit" | tar -x -C "$tree"
  echo "== release build in $tree"
  if [ "$build" = one ]; then
    (cd "$tree" && SOURCE_DATE_EPOCH=$epoch ZELLIK_MINGW_JPEG_PREFIX=$jpeg quietly bash scripts/package.sh)
  else
    # lintian has had its say on the first package.
    (cd "$tree" && umask 002 && TZ=Pacific/Auckland LC_ALL=C SOURCE_DATE_EPOCH=$epoch \
      ZELLIK_MINGW_JPEG_PREFIX=$jpeg ZELLIK_LINTIAN=0 quietly bash scripts/package.sh)
  fi
  cp "$tree/build/release-windows/zellik.scr" "$tree/dist/"
done

status=0
for file in "$work"/one/zellik/dist/*; do
  name=$(basename "$file")
  if cmp -s "$file" "$work/second-build/zellik/dist/$name"; then
    printf 'same bytes  %10d  %s\n' "$(stat -c %s "$file")" "$name"
  else
    printf 'DIFFERENT   %10s  %s\n' "" "$name"
    status=1
  fi
done
[ "$(ls "$work/one/zellik/dist")" = "$(ls "$work/second-build/zellik/dist")" ] || { echo "the two dist/ hold other files"; status=1; }
if [ -n "${1:-}" ]; then
  rm -rf "$1" && cp -r "$work/one/zellik/dist" "$1"
fi
echo "check-reproducible: commit $commit, two builds in $(($(date +%s) - started)) s: $([ $status = 0 ] && echo identical || echo DIFFERENT)"
exit $status
