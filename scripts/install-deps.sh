#!/usr/bin/env bash
# Installs the Debian packages that building and testing Zellik need: only
# those missing, quietly, waiting for another apt to finish instead of failing.
# Usage: scripts/install-deps.sh [AREA...]   (default: every scripts/packages-*.txt
# that building and testing need; the peer benchmark's list only when named)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

areas=("$@")
if [ ${#areas[@]} -eq 0 ]; then
  for list in "$here"/packages-*.txt; do
    name=$(basename "$list" .txt)
    name=${name#packages-}
    [ "$name" = bench ] && continue
    areas+=("$name")
  done
fi

wanted=()
for area in "${areas[@]}"; do
  list="$here/packages-$area.txt"
  [ -f "$list" ] || { echo "install-deps: no package list $list" >&2; exit 2; }
  while read -r package _; do
    case "$package" in ''|'#'*) continue ;; esac
    wanted+=("$package")
  done <"$list"
done

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt_opts=(-o DPkg::Lock::Timeout=600 -o Acquire::Retries=3 -qq)
$sudo apt-get "${apt_opts[@]}" update >/dev/null
$sudo apt-get "${apt_opts[@]}" install -y --no-install-recommends "${missing[@]}" >/dev/null
