#!/usr/bin/env bash
# Builds the icon generator natively and writes resources/zellik.ico, the
# icon the Windows resource script embeds.
# Usage: scripts/make-icons.sh [BUILD-DIR]   (default: a private build in /tmp)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${1:-${TMPDIR:-/tmp}/zellik-icons-build}
mkdir -p "$build"
c++ -std=c++17 -O2 -Wall -Wextra -Werror -ffp-contract=off -o "$build/zellik-icons" "$repo/tools/icons/icon_main.cpp"
"$build/zellik-icons" "$repo/resources/zellik.ico"
