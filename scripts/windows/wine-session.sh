#!/usr/bin/env bash
# The Wine session of one test run: one Xvfb and one freshly booted prefix,
# shared by all wine tests. ctest runs "start" as the fixture's set-up test and
# "stop" as its clean-up (cmake/WineTests.cmake); it also serves by hand:
#
#   scripts/windows/wine-session.sh start DIR   boots DIR/prefix on a new Xvfb
#                                               and writes DIR/session.env
#   scripts/windows/wine-session.sh stop DIR    ends the wineserver and the
#                                               Xvfb, removes the prefix
#
# Environment: ZELLIK_WINE_SCREEN (default 1280x720x24).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-lib.sh"
. "$here/../xvfb.sh"

action=${1:-}
dir=${2:-}
if [ -z "$action" ] || [ -z "$dir" ]; then
  echo "usage: wine-session.sh start|stop DIR" >&2
  exit 2
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
envFile=$dir/session.env

stop_session() {
  [ -f "$envFile" ] || return 0
  local DISPLAY="" WINEPREFIX="" XVFB_PID=""
  # shellcheck disable=SC1090
  . "$envFile"
  rm -f "$envFile"
  if [ -d "$WINEPREFIX" ]; then
    WINEPREFIX=$WINEPREFIX timeout -k 2 30 wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$WINEPREFIX timeout -k 2 30 wineserver -w >/dev/null 2>&1 || true
  fi
  xvfb_stop "$XVFB_PID"
  # A prefix is about 700 MB; each run makes its own.
  [ -n "$WINEPREFIX" ] && rm -rf "$WINEPREFIX"
}

case "$action" in
start)
  # A session left over from an interrupted run goes first.
  stop_session
  started=$(date +%s%N)
  xvfb_start "$dir" "${ZELLIK_WINE_SCREEN:-1280x720x24}"
  mkdir -p "$dir/cache"
  export XDG_CACHE_HOME=$dir/cache MESA_SHADER_CACHE_DIR=$dir/cache/mesa
  if ! wine_prefix_prepare "$dir/prefix"; then
    xvfb_stop "$XVFB_PID"
    exit 1
  fi
  # Let the boot's server end, then keep one running for the whole session so
  # that no test pays for a server start.
  timeout -k 2 60 wineserver -w >/dev/null 2>&1 || true
  wine_server_keep
  {
    echo "# The Wine session of this build's test run (scripts/windows/wine-session.sh)."
    printf 'export DISPLAY=%q\n' "$DISPLAY"
    printf 'export XVFB_PID=%q\n' "$XVFB_PID"
    printf 'export WINEPREFIX=%q\n' "$WINEPREFIX"
    printf 'export WINEDEBUG=%q\n' "$WINEDEBUG"
    printf 'export WINEARCH=%q\n' "$WINEARCH"
    printf 'export WINEDLLOVERRIDES=%q\n' "$WINEDLLOVERRIDES"
    printf 'export XDG_CACHE_HOME=%q\n' "$XDG_CACHE_HOME"
    printf 'export MESA_SHADER_CACHE_DIR=%q\n' "$MESA_SHADER_CACHE_DIR"
    printf 'export ZELLIK_WINE_SESSION_DIR=%q\n' "$dir"
  } >"$envFile.tmp"
  mv "$envFile.tmp" "$envFile"
  elapsed=$((($(date +%s%N) - started) / 1000000))
  printf 'wine session on %s (Xvfb %s), prefix %s, ready in %d.%03d s\n' \
    "$DISPLAY" "$XVFB_PID" "$WINEPREFIX" $((elapsed / 1000)) $((elapsed % 1000))
  ;;
stop)
  stop_session
  ;;
*)
  echo "usage: wine-session.sh start|stop DIR" >&2
  exit 2
  ;;
esac
