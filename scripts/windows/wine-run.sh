#!/usr/bin/env bash
# The emulator of the Windows build (CMAKE_CROSSCOMPILING_EMULATOR): runs a
# cross-built program under Wine and passes its exit code through.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
#
# Inside a ctest run it joins the run's Wine session (Xvfb + prefix, see
# wine-session.sh), found through $ZELLIK_WINE_SESSION or the session file of
# the build tree that holds PROGRAM. Without a session (GoogleTest's test
# listing at ctest start, a run by hand) it uses a prefix of its own kept in the
# build tree, booted on first use, and no X display: enough for console
# programs.
#
# Environment: ZELLIK_WINE_RUN_TIMEOUT (seconds, default 600): the run is ended
# after that and the exit code is 124. ZELLIK_WINE_KEEP_CR=1 keeps the
# carriage returns that the Windows C runtime writes before every newline of
# text-mode output; by default they are removed so that output compares with
# a Linux build's.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-lib.sh"

# The top of the build tree: the nearest directory above the program with a
# CMakeCache.txt.
build_top() {
  local d
  d=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
  while [ "$d" != "/" ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return 0; }
    d=$(dirname "$d")
  done
  return 1
}

# A private prefix in BASE, booted once and reused, under a lock so that
# parallel listings do not boot it twice; its server stays up for ten minutes
# after the last program, so that a build and the ctest run after it pay for
# one server start.
use_standalone_prefix() {
  local base=$1
  mkdir -p "$base"
  unset DISPLAY
  wine_env_defaults
  export WINEPREFIX=$base/standalone-prefix
  export XDG_CACHE_HOME=$base/cache MESA_SHADER_CACHE_DIR=$base/cache/mesa
  (
    flock -w 600 9 || exit 1
    if [ ! -f "$WINEPREFIX/.zellik-ready" ]; then
      wine_prefix_prepare "$WINEPREFIX" || exit 1
      # The boot's server must end first: a running server ignores the
      # request for a persistent one below.
      timeout -k 2 60 wineserver -w >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.zellik-ready"
    fi
  ) 9>"$base/standalone.lock" || {
    echo "wine-run: could not prepare $WINEPREFIX" >&2
    return 1
  }
  setsid wineserver -p600 </dev/null >/dev/null 2>&1 || true
  standalone=1
}

# Boots the private prefix ahead, so that a later listing of a program's tests
# (at ctest start) does not wait for it.
if [ "${1:-}" = "--prepare-standalone" ]; then
  [ $# -eq 2 ] || { echo "usage: wine-run.sh --prepare-standalone BUILD-DIR" >&2; exit 2; }
  use_standalone_prefix "$2/wine" || exit 1
  # Start the system processes now, away from the build's output pipes.
  wine_run 120 reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
  exit 0
fi

if [ $# -lt 1 ]; then
  echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
program=$1
shift

standalone=0
top=$(build_top "$program" || true)
session=${ZELLIK_WINE_SESSION:-}
if [ -z "$session" ] && [ -n "$top" ]; then
  session=$top/wine/session.env
fi
if [ -n "$session" ] && [ -f "$session" ] && wine_session_load "$session" 2>/dev/null; then
  :
else
  use_standalone_prefix "${top:-${TMPDIR:-/tmp}/zellik-wine-$(id -u)}/wine" || exit 1
fi

seconds=${ZELLIK_WINE_RUN_TIMEOUT:-600}
if [ "$standalone" = 1 ]; then
  # The first program of a new server starts Wine's system processes, which
  # inherit its standard streams and keep them open for the server's life. A
  # caller that reads our output to its end (ctest listing a program's tests)
  # would wait for them, so the output goes through files instead of pipes.
  out=$(mktemp) err=$(mktemp)
  wine_run "$seconds" "$program" "$@" >"$out" 2>"$err"
  status=$?
  if [ "${ZELLIK_WINE_KEEP_CR:-0}" = 1 ]; then
    cat "$out"
    cat "$err" >&2
  else
    tr -d '\r' <"$out"
    tr -d '\r' <"$err" >&2
  fi
  rm -f "$out" "$err"
  exit "$status"
fi
if [ "${ZELLIK_WINE_KEEP_CR:-0}" = 1 ]; then
  wine_run "$seconds" "$program" "$@"
  exit $?
fi
# Both streams lose their carriage returns; the program's exit code is the
# first of the pipeline's statuses. The filter of the error stream is waited
# for, so that all of it is written when this script ends.
exec 4> >(tr -d '\r' >&2)
errorFilter=$!
wine_run "$seconds" "$program" "$@" 2>&4 | tr -d '\r'
status=${PIPESTATUS[0]}
exec 4>&-
wait "$errorFilter" 2>/dev/null || true
exit "$status"
