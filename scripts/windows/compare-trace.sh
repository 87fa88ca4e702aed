#!/usr/bin/env bash
# Runs the frame trace of the Linux build (zellik-render --trace) and of the
# Windows build (zellik-trace.exe under Wine) with the same seed, size and
# simulated clock, and compares them line for line.
#
#   compare-trace.sh --linux ZELLIK-RENDER --windows ZELLIK-TRACE.EXE
#                    [--frames N] [--seed S] [--size WxH] [--mirrors on|off]
#                    [--work DIR]
#
# Exit 0: identical. 1: they differ; the first differing frame is shown with
# the fields that differ. 77: no Linux renderer to compare with (skipped).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

linux="" windows="" frames=3000 seed=1234 size=320x240 mirrors=on work=${TMPDIR:-/tmp}/zellik-trace-compare
while [ $# -gt 0 ]; do
  case "$1" in
  --linux) linux=$2; shift 2 ;;
  --windows) windows=$2; shift 2 ;;
  --frames) frames=$2; shift 2 ;;
  --seed) seed=$2; shift 2 ;;
  --size) size=$2; shift 2 ;;
  --mirrors) mirrors=$2; shift 2 ;;
  --work) work=$2; shift 2 ;;
  *) echo "compare-trace: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$linux" ] || [ ! -x "$linux" ]; then
  echo "compare-trace: no Linux zellik-render at '${linux}'; build the linux preset (or set ZELLIK_LINUX_RENDER)"
  exit 77
fi
[ -f "$windows" ] || { echo "compare-trace: no $windows" >&2; exit 2; }
mkdir -p "$work"
args=(--trace --frames "$frames" --seed "$seed" --size "$size" --mirrors "$mirrors")

# The Windows build needs an X display for its OpenGL context: the ctest run's
# Wine session, or else one of its own for this comparison.
. "$here/wine-lib.sh"
if ! wine_session_load "${ZELLIK_WINE_SESSION:-/nonexistent}" 2>/dev/null; then
  "$here/wine-session.sh" start "$work/session" >/dev/null || exit 1
  trap '"$here/wine-session.sh" stop "$work/session"' EXIT
  export ZELLIK_WINE_SESSION=$work/session/session.env
fi

seconds() { date +%s%N; }
t0=$(seconds)
# The Linux renderer needs no display (EGL on Mesa's surfaceless platform).
env -u DISPLAY MESA_SHADER_CACHE_DIR="$work/mesa-cache" \
  timeout -k 5 600 "$linux" "${args[@]}" >"$work/linux.txt" 2>"$work/linux.err"
linuxStatus=$?
t1=$(seconds)
ZELLIK_WINE_RUN_TIMEOUT=600 "$here/wine-run.sh" "$windows" "${args[@]}" >"$work/windows.txt" 2>"$work/windows.err"
windowsStatus=$?
t2=$(seconds)
printf 'linux: exit %d, %d lines, %d ms; windows (wine): exit %d, %d lines, %d ms\n' \
  "$linuxStatus" "$(wc -l <"$work/linux.txt")" $(((t1 - t0) / 1000000)) \
  "$windowsStatus" "$(wc -l <"$work/windows.txt")" $(((t2 - t1) / 1000000))
if [ "$linuxStatus" -ne 0 ] || [ "$windowsStatus" -ne 0 ]; then
  echo "--- linux stderr"; tail -5 "$work/linux.err"
  echo "--- windows stderr"; tail -5 "$work/windows.err"
  exit 1
fi
if [ "$(wc -l <"$work/linux.txt")" -ne "$frames" ]; then
  echo "compare-trace: the Linux trace has not $frames lines" >&2
  exit 1
fi
if cmp -s "$work/linux.txt" "$work/windows.txt"; then
  echo "identical: $frames frames, seed $seed, size $size, mirrors $mirrors"
  exit 0
fi

differing=$(paste -d '\n' "$work/linux.txt" "$work/windows.txt" |
  awk 'NR % 2 == 1 { a = $0; next } a != $0 { n++ } END { print n + 0 }')
echo "DIFFERENT: $differing of $frames lines differ (traces in $work)"
# The first differing line, field by field; fields are space-separated
# name=value pairs, and s0/s1/s2 open each sprite's group.
awk '
  FNR == NR { linux[FNR] = $0; next }
  linux[FNR] != $0 && !shown {
    shown = 1
    print "first difference at line " FNR ":"
    n = split(linux[FNR], a, " "); m = split($0, b, " ")
    group = ""
    for (i = 1; i <= (n > m ? n : m); i++) {
      if (a[i] ~ /^s[0-9]+$/) group = a[i] " "
      if (a[i] != b[i]) printf "  %slinux %s  windows %s\n", group, a[i], b[i]
    }
  }
  END { if (FNR != length(linux)) print "line counts differ: linux " length(linux) ", windows " FNR }
' "$work/linux.txt" "$work/windows.txt"
exit 1
