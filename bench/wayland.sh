#!/usr/bin/env bash
# The Wayland host beside the X11 host, on one machine in one run:
#
#   bench/wayland.sh [SECONDS] [ROUNDS]        (defaults: 20 s, 3 rounds)
#
# 1. CPU per frame at 1280x720, full screen, Mesa llvmpipe: `zellik --wayland
#    --fullscreen` on a headless sway with one 1280x720 output, and `zellik
#    --x11 --fullscreen` on a 1280x720 Xvfb, side by side from the same seed,
#    SECONDS measured after a 3-second settle, ROUNDS times. Frames are the
#    lines of --trace; CPU is the user + system time of the program (llvmpipe's
#    threads included) and of the server (sway or Xvfb), read from /proc.
# 2. Process start to the first frame, ROUNDS times each, on the same one-output
#    sway and Xvfb, one host after the other: from the time taken just before
#    exec to the first line of --trace (written once the first frame is swapped).
# 3. Process start to the first frame on every output, ROUNDS times, on the
#    overlay layer and as toplevels (--toplevel): sway with
#    the two test outputs (1280x720 at scale 1, 1600x1200 at scale 2); then an
#    output added 3 s later (`swaymsg create_output`, HEADLESS-3), from the
#    command to its first frame. The first frame is the first commit of a buffer
#    on each output's surface, from the protocol log (WAYLAND_DEBUG); each round
#    has a fresh sway.
#
# Prints markdown tables. Packages: scripts/packages-wayland.txt and xvfb.
# Program: ZELLIK_BIN (default build/linux/host/linux/zellik).
set -euo pipefail

seconds=${1:-20}
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
zellik=${ZELLIK_BIN:-$root/build/linux/host/linux/zellik}
case "$seconds$rounds" in *[!0-9]*)
  echo "usage: bench/wayland.sh [SECONDS] [ROUNDS]" >&2
  exit 2
  ;;
esac
[ -x "$zellik" ] || { echo "wayland bench: $zellik is not built" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "wayland bench: Xvfb is missing" >&2; exit 1; }

. "$root/scripts/sway-session.sh"
XVFB_PID=""
work=$(mktemp -d /tmp/zellik-wayland-bench.XXXXXX)
finish() {
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
  sway_stop || true # sway may be gone already
  rm -rf "$work"
}
trap finish EXIT

# cpu_ticks PID: user + system clock ticks of a process (0 once it is gone).
cpu_ticks() {
  sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $12 + $13 }' || echo 0
}

# One round: both savers started in the same second, so that they draw from
# the same seed and, their scenes running on wall-clock time, the same
# pictures; measured side by side over the same SECONDS. Prints one line per
# host: "NAME fps program_ms server_ms".
cpu_round() {
  sleep "$(printf '0.%03d' $((999 - 10#$(date +%N | cut -c1-3))))" # just before a second begins
  sway_spawn cpu "$zellik" --wayland --fullscreen --trace
  local wayland=$SWAY_SPAWNED
  XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config DISPLAY=$display \
    "$zellik" --x11 --fullscreen --trace >"$work/x11.out" 2>"$work/x11.err" &
  local x11=$!
  sleep 3
  local name pid server trace p0 s0 f0
  local -A before
  for name in wayland x11; do
    [ $name = wayland ] && pid=$wayland server=$SWAY_PID trace=$SWAY_FILES/cpu.out
    [ $name = x11 ] && pid=$x11 server=$XVFB_PID trace=$work/x11.out
    before[$name]="$(cpu_ticks $pid) $(cpu_ticks $server) $(wc -l <"$trace")"
  done
  sleep "$seconds"
  for name in wayland x11; do
    [ $name = wayland ] && pid=$wayland server=$SWAY_PID trace=$SWAY_FILES/cpu.out
    [ $name = x11 ] && pid=$x11 server=$XVFB_PID trace=$work/x11.out
    read -r p0 s0 f0 <<<"${before[$name]}"
    awk -v n=$name -v p=$(($(cpu_ticks $pid) - p0)) -v s=$(($(cpu_ticks $server) - s0)) \
      -v f=$(($(wc -l <"$trace") - f0)) -v t="$seconds" -v hz="$(getconf CLK_TCK)" \
      'BEGIN { printf "%s %.1f %.2f %.2f\n", n, f / t, p * 1000 / hz / f, s * 1000 / hz / f }'
  done
  # The same seed: the first frames of both traces agree on wedge and tiles.
  cmp -s <(head -n1 "$SWAY_FILES/cpu.out" | cut -d' ' -f5-8) <(head -n1 "$work/x11.out" | cut -d' ' -f5-8) ||
    echo "wayland bench: the two savers started with different seeds this round" >&2
  kill "$wayland" "$x11"
  wait "$wayland" "$x11" || true
}

# first_frame HOST COMMAND...: milliseconds from the exec of the saver on HOST
# (wayland or x11), started by COMMAND, to its first trace line; the saver then
# ends on the closed pipe.
first_frame() {
  "${@:2}" bash -c 'echo "$EPOCHREALTIME"; exec "$@"' first "$zellik" "--$1" --fullscreen --trace |
    { read -r start && read -r _ && echo "$start $EPOCHREALTIME"; } | awk '{ printf "%.0f\n", ($2 - $1) * 1000 }'
}

echo "== CPU per frame at 1280x720 ($rounds rounds of $seconds s each; load $(cut -d' ' -f1-3 /proc/loadavg))" >&2
: >"$work/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do grep -q '^[0-9]' "$work/display" && break; sleep 0.1; done
display=":$(head -n1 "$work/display")"
sway_start 1
for _ in $(seq "$rounds"); do cpu_round; done >"$work/cpu.txt"
echo "== start to the first frame, one output ($rounds rounds)" >&2
for _ in $(seq "$rounds"); do
  echo "wayland $(first_frame wayland as_sway)"
  echo "x11 $(first_frame x11 env XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" DISPLAY="$display")"
done >"$work/one.txt"
sway_stop || true # sway may be gone already
echo
echo "| host (1280x720, llvmpipe) | frames/s | program CPU ms/frame | server CPU ms/frame | runs |"
echo "|---|---|---|---|---|"
for host in wayland x11; do
  sort -k3 -n "$work/cpu.txt" | awk -v h="$host" '$1 == h { i = n++; f[i] = $2; p[i] = $3; s[i] = $4 }
    END { m = int(n / 2); printf "| %s | %s | %s (%s–%s) | %s | %d |\n", h, f[m], p[m], p[0], p[n - 1], s[m], n }'
done
# median_rows FILE: "| NAME | median | all |" for the lines "NAME ms" of FILE
median_rows() {
  sort -k1,1 -k2n "$1" | awk '{ v[$1] = v[$1] (v[$1] ? ", " : "") $2; a[$1, c[$1]++] = $2 }
    END { for (o in c) printf "| %s | %s | %s |\n", o, a[o, int(c[o] / 2)], v[o] }' | sort
}
echo
echo "| host, one 1280x720 output | start → first trace line, ms (median) | all rounds |"
echo "|---|---|---|"
median_rows "$work/one.txt"

echo "== start to the first frame on every output ($rounds rounds)" >&2
for round in $(seq "$rounds"); do
 for path in overlay toplevel; do
  sway_start 2
  sway_spawn first sh -c 'date +%s%6N >&2; exec env WAYLAND_DEBUG=1 "$0" --fullscreen ${1:+"$1"}' "$zellik" \
    "$([ $path = overlay ] || echo --toplevel)"
  sleep 3
  added=$(date +%s%6N)
  as_sway swaymsg create_output >/dev/null
  sleep 3
  kill "$SWAY_SPAWNED"
  wait "$SWAY_SPAWNED" || true
  cp "$SWAY_FILES/first.err" "$work/first.err"
  sway_stop || true # sway may be gone already
  # The protocol log stamps messages with the real-time clock in microseconds,
  # kept in 32 bits, printed as milliseconds.
  python3 - "$work/first.err" "$added" "$path" <<'EOF'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
start = (int(lines[0]) % 2**32) / 1000
added = (int(sys.argv[2]) % 2**32) / 1000
names, toplevel_output, surface_of, first, layer_output, popup_surface = {}, {}, {}, {}, {}, {}
for line in lines[1:]:
    m = re.match(r'\[\s*([\d.]+)\]\s+(->\s+)?(\S+?)\.(\w+)\((.*)\)', line)
    if not m:
        continue
    t, obj, msg, args = float(m.group(1)), m.group(3), m.group(4), m.group(5)
    if msg == 'name' and obj.startswith('wl_output@'):
        names[obj] = args.strip('"')
    elif msg == 'get_xdg_surface':
        surface_of[re.search(r'xdg_surface@\d+', args).group(0)] = re.search(r'wl_surface@\d+', args).group(0)
    elif msg == 'get_toplevel':
        toplevel_output[re.search(r'xdg_toplevel@\d+', args).group(0)] = obj
    elif msg == 'set_fullscreen':
        output = re.search(r'wl_output@\d+', args).group(0)
        surface = surface_of[toplevel_output[obj]]
        first.setdefault(surface, [output, None])
    elif msg == 'get_layer_surface':
        layer_output[re.search(r'zwlr_layer_surface_v1@\d+', args).group(0)] = re.search(r'wl_output@\d+', args).group(0)
    elif msg == 'get_popup' and obj.startswith('xdg_surface@'):
        popup_surface[re.search(r'xdg_popup@\d+', args).group(0)] = surface_of[obj]
    elif msg == 'get_popup':  # the layer surface's popup, which the saver draws in
        first.setdefault(popup_surface[args], [layer_output[obj], None])
    elif msg == 'attach' and obj in first and first[obj][1] is None:
        first[obj][1] = t
for output, t in first.values():
    name = names.get(output, output)
    since = added if name == 'HEADLESS-3' else start
    ms = (t - since) % 4294967.296 if t is not None else float('nan')
    print(f"{sys.argv[3]}:{name}{'-added' if since == added else ''} {ms:.0f}")
EOF
 done
done >"$work/first.txt"
echo
echo "| path:output | start (or its addition) → first frame, ms (median) | all rounds |"
echo "|---|---|---|"
median_rows "$work/first.txt"
