#!/usr/bin/env bash
# Builds the release of the last commit twice, in two temporary directories
# of different names, with a different time zone, locale and umask, each
# with a cross-built libjpeg of its own (built in its tree, as a clean clone
# builds it), and compares everything in dist/, zellik.scr and libjpeg.a byte
# for byte; each dist/ must hold the release and nothing else.
# Usage: scripts/check-reproducible.sh [KEEP_DIR]   (the first build's dist/
# is kept in KEEP_DIR when given, for the package tests)
set -euo pipefail
source "$(dirname "$0")/common.sh"

# shellcheck disable=SC2046 # one word per list
bash scripts/install-deps.sh $(preset_lists release-linux) $(preset_lists release-windows) release
commit=$(git rev-parse --short HEAD)
epoch=$(git log -1 --format=%ct)

unset ZELLIK_MINGW_JPEG_PREFIX # each build makes its own
work=$(mktemp -d "${TMPDIR:-/tmp}/zellik-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT
started=$(date +%s)
for build in one second-build; do
  tree=$work/$build/zellik
  mkdir -p "$tree"
  git archive "$commit" | tar -x -C "$tree"
  echo "== release build in $tree"
  if [ "$build" = one ]; then
    (cd "$tree" && SOURCE_DATE_EPOCH=$epoch quietly bash scripts/package.sh)
  else
    # lintian has had its say on the first package.
    (cd "$tree" && umask 002 && TZ=Pacific/Auckland LC_ALL=C SOURCE_DATE_EPOCH=$epoch \
      ZELLIK_LINTIAN=0 quietly bash scripts/package.sh)
  fi
done

status=0
for build in one second-build; do
  release_only "$work/$build/zellik/dist" || { echo "$build: dist/ holds $(ls "$work/$build/zellik/dist")"; status=1; }
done
for name in $(cd "$work/one/zellik" && echo dist/*) build/release-windows/zellik.scr build/mingw-libjpeg/prefix/lib/libjpeg.a; do
  file=$work/one/zellik/$name
  if cmp -s "$file" "$work/second-build/zellik/$name"; then
    printf 'same bytes  %10d  %s\n' "$(stat -c %s "$file")" "$name"
  else
    printf 'DIFFERENT   %10s  %s\n' "" "$name"
    status=1
  fi
done
if [ -n "${1:-}" ]; then
  rm -rf "$1" && cp -r "$work/one/zellik/dist" "$1"
fi
echo "check-reproducible: commit $commit, two builds in $(($(date +%s) - started)) s: $([ $status = 0 ] && echo identical || echo DIFFERENT)"
exit $status
