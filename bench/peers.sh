#!/usr/bin/env bash
# Zellik against its peer on one machine, in one run:
#
#   bench/peers.sh [SECONDS] [ROUNDS]   (defaults: 20 s, one round a seed)
#
# On one Xvfb per screen size (1280x720, then 1920x1080; Mesa llvmpipe) it runs,
# alternately for ROUNDS rounds, the Linux saver (`zellik --root`), the Windows
# saver under Wine (`wine zellik.scr /s`) and gleidescope (`--root --image`),
# SECONDS measured each, and prints a markdown table of medians with the ratios
# Zellik / gleidescope. bench/peers/run_one.py measures one run and says how.
#
# Programs (environment):
#   ZELLIK_BIN        the Linux saver   (default build/linux/host/linux/zellik)
#   ZELLIK_SCR        the Windows saver (default build/windows/zellik.scr)
#   ZELLIK_PEER       the peer          (default /usr/libexec/xscreensaver/gleidescope)
#   ZELLIK_PEER_IMAGE the peer's image  (default docs/preview.png)
#   ZELLIK_PEER_SIZES screen sizes      (default "1280x720 1920x1080")
#   ZELLIK_PEER_WORK  working directory (default a new /tmp/zellik-peers.XXXXXX)
#   ZELLIK_PEER_PROGRAMS  which of them run (default "zellik zellik.scr gleidescope")
#   ZELLIK_PEER_SEEDS the seeds Zellik's savers start from, one a round in turn
#                     (default: SEEDS_DEFAULT below); both get the same one
#                     through ZELLIK_SEED, which every Zellik host honours
#                     instead of the clock's.
#                     gleidescope has no such setting: it seeds from the clock
#                     and its PID, and only its camera's path is random.
# A saver that is not built is left out of the table. Packages:
# scripts/packages-bench.txt. Every Xvfb, wineserver and program it starts is
# ended by its own PID or prefix before it exits.
set -euo pipefail

# The default seeds span what the 256 starting pictures cost to draw: the
# cheapest, the quartiles, the median and the dearest of bench/seed-costs.txt
# (CPU a frame at 1920x1080, zellik-seed-costs; bench/README.md says how).
SEEDS_DEFAULT="18 46 34 57 176"
read -r -a seeds <<<"${ZELLIK_PEER_SEEDS:-$SEEDS_DEFAULT}"
seconds=${1:-20}
rounds=${2:-${#seeds[@]}}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
zellik=${ZELLIK_BIN:-$root/build/linux/host/linux/zellik}
scr=${ZELLIK_SCR:-$root/build/windows/zellik.scr}
peer=${ZELLIK_PEER:-/usr/libexec/xscreensaver/gleidescope}
image=${ZELLIK_PEER_IMAGE:-$root/docs/preview.png}
sizes=${ZELLIK_PEER_SIZES:-1280x720 1920x1080}
work=${ZELLIK_PEER_WORK:-$(mktemp -d /tmp/zellik-peers.XXXXXX)}
mkdir -p "$work"
work=$(cd "$work" && pwd)
python=/usr/bin/python3

case "$seconds$rounds" in *[!0-9]*)
  echo "usage: bench/peers.sh [SECONDS] [ROUNDS]" >&2
  exit 2
  ;;
esac

for tool in /usr/bin/Xvfb "$python" /usr/bin/timeout; do
  [ -x "$tool" ] || { echo "peers: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
[ -x "$peer" ] || { echo "peers: $peer is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
[ -f "$image" ] || { echo "peers: no image $image" >&2; exit 1; }

wanted=" ${ZELLIK_PEER_PROGRAMS:-zellik zellik.scr gleidescope} "
case "${seeds[*]:-x}" in *[!0-9\ ]*)
  echo "peers: ZELLIK_PEER_SEEDS must be decimal numbers" >&2
  exit 2
  ;;
esac
programs=()
if [[ $wanted == *" zellik "* ]]; then
  [ -x "$zellik" ] && programs+=(zellik) || echo "peers: $zellik not built; left out" >&2
fi
if [[ $wanted == *" zellik.scr "* ]]; then
  if [ -f "$scr" ] && command -v wine >/dev/null; then
    programs+=(zellik.scr)
  else
    echo "peers: $scr not built (or no wine); left out" >&2
  fi
fi
[[ $wanted == *" gleidescope "* ]] && programs+=(gleidescope)
[ ${#programs[@]} -gt 0 ] || { echo "peers: no program to run" >&2; exit 2; }

# Same caches and settings for all three: a fresh, private home for both.
export XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export MESA_SHADER_CACHE_DIR=$work/cache/mesa
mkdir -p "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
unset XSCREENSAVER_WINDOW LIBGL_ALWAYS_SOFTWARE GALLIUM_HUD

XVFB_PID=""
WINE_READY=""
prefix=$work/prefix

stop_wine() {
  [ -n "$WINE_READY" ] || return 0
  WINEPREFIX=$prefix timeout -k 2 30 wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$prefix timeout -k 2 30 wineserver -w >/dev/null 2>&1 || true
}

stop_xvfb() {
  [ -n "$XVFB_PID" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  for _ in $(seq 1 50); do
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

# Wine's system processes outlive a wineserver that something else ended;
# they are found by the prefix in their environment and ended by PID.
kill_prefix_orphans() {
  local dir pid
  unset WINEPREFIX
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" = $$ ] && continue
    if { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}

cleanup() {
  stop_wine
  [ -n "$WINE_READY" ] && kill_prefix_orphans
  stop_xvfb
  # A booted prefix is about 700 MB.
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb() {
  local size=$1 numberFile=$work/xvfb-$1.display
  rm -f "$numberFile"
  # -displayfd: the server picks a free display, so no fixed number clashes with
  # another one on this shared machine. -br: a black root window, against which
  # the first picture is recognised. Started directly (no setsid, which forks
  # when run from an interactive shell), so that $! is the server's own PID.
  /usr/bin/Xvfb -displayfd 3 -screen 0 "${size}x24" -br -nolisten tcp -noreset \
    3>"$numberFile" </dev/null >"$work/xvfb-$size.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 100); do
    if grep -q '^[0-9][0-9]*$' "$numberFile" 2>/dev/null; then
      DISPLAY=:$(head -1 "$numberFile")
      export DISPLAY
      # The X server's CPU is read from this PID: it must be the server itself.
      if [ "$(cat "/proc/$XVFB_PID/comm" 2>/dev/null)" != Xvfb ]; then
        echo "peers: PID $XVFB_PID is not the Xvfb" >&2
        return 1
      fi
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "peers: Xvfb did not start (log: $work/xvfb-$size.log)" >&2
  return 1
}

# One prefix for the whole run; one wineserver serves one display, so each
# screen size gets a server of its own, kept running (with Wine's system
# processes) so that the saver's start-up is not charged for booting Wine.
start_wine() {
  # shellcheck source=../scripts/windows/wine-lib.sh
  . "$root/scripts/windows/wine-lib.sh"
  wine_env_defaults
  export WINEPREFIX=$prefix
  if [ -z "$WINE_READY" ]; then
    echo "peers: booting a Wine prefix in $prefix" >&2
    wine_prefix_prepare "$prefix"
    WINE_READY=1
  fi
  timeout -k 2 60 wineserver -w >/dev/null 2>&1 || true
  wine_server_keep
}

command_of() {
  case "$1" in
  zellik) echo "$zellik --root" ;;
  zellik.scr) echo "wine $scr /s" ;;
  gleidescope) echo "$peer --root --image $image" ;;
  esac
}

# run NAME SECONDS SHOT: one measured run, its JSON line on stdout.
run() {
  local name=$1 secs=$2 shot=$3 extra=()
  [ "$name" = zellik.scr ] && extra=(--wine-prefix "$prefix")
  # shellcheck disable=SC2046
  timeout -k 5 $((secs + 40)) "$python" "$here/peers/run_one.py" --name "$name" \
    --work "$work/run" --seconds "$secs" --xvfb-pid "$XVFB_PID" --shot "$shot" \
    "${extra[@]}" -- $(command_of "$name")
}

results=$work/results.jsonl
: >"$results"
for size in $sizes; do
  start_xvfb "$size"
  echo "peers: $size on $DISPLAY (Xvfb $XVFB_PID)" >&2
  case " ${programs[*]} " in *" zellik.scr "*) start_wine ;; esac
  # A short unmeasured run of each fills the file cache and the shader cache
  # and, under Wine, starts the desktop process a first window brings up.
  export ZELLIK_SEED=${seeds[0]}
  for name in "${programs[@]}"; do
    run "$name" 2 "$work/warm-$size-$name" >/dev/null || echo "peers: warm-up of $name failed" >&2
  done
  for round in $(seq 1 "$rounds"); do
    export ZELLIK_SEED=${seeds[$(((round - 1) % ${#seeds[@]}))]}
    # The order turns each round, so that no program always follows the same one.
    n=${#programs[@]}
    for i in $(seq 0 $((n - 1))); do
      name=${programs[$(((i + round - 1) % n))]}
      echo "peers: $size round $round (seed $ZELLIK_SEED): $name" >&2
      if ! kill -0 "$XVFB_PID" 2>/dev/null; then
        # Only something outside this script ends it (the machine is shared);
        # the round goes on on a new server, and Wine's server follows it.
        echo "peers: the Xvfb of $size (PID $XVFB_PID) has gone; starting another" >&2
        stop_wine
        XVFB_PID=""
        start_xvfb "$size"
        case " ${programs[*]} " in *" zellik.scr "*) start_wine ;; esac
      fi
      if ! run "$name" "$seconds" "$work/shot-$size-$round-$name" >>"$results"; then
        echo "peers: the run of $name failed" >&2
      fi
    done
  done
  stop_wine
  stop_xvfb
done

"$python" "$here/peers/summarise.py" "$results" "$seconds" "$rounds" | tee "$work/peers-results.md"
echo "peers: runs in $results, screenshots in $work" >&2
