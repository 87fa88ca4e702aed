#!/usr/bin/env bash
# zellik.scr end to end under Wine, on the session's Xvfb screen (see
# scripts/windows/wine-session.sh): the real executable, started with the
# screen-saver switches, watched through screenshots, driven with xdotool,
# its settings checked with "wine reg query".
#
#   saver_e2e.sh CASE ZELLIK.SCR [PREVIEW-PARENT.EXE]
#
# CASE: fullscreen | threshold | config-ok | config-escape | preview |
#       silent-switches | no-mirrors
# Needs $ZELLIK_WINE_SESSION (set by ctest). Pictures are kept in
# $ZELLIK_WINE_SESSION_DIR/e2e/CASE for a look after a failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
. "$repo/scripts/windows/wine-lib.sh"

case_name=${1:?case}
saver=${2:?zellik.scr}
preview_parent=${3:-}

wine_session_load || exit 1
work=$ZELLIK_WINE_SESSION_DIR/e2e/$case_name
rm -rf "$work"
mkdir -p "$work"

readonly system_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'
readonly saver_key='HKCU\Software\Quent\Dunmere'
# The screen of the session, as wine-session.sh starts it.
read -r screen_w screen_h < <(timeout 10 xdpyinfo -display "$DISPLAY" 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
: "${screen_w:=1280}" "${screen_h:=720}"
centre_x=$((screen_w / 2))
centre_y=$((screen_h / 2))

saver_pid=""
parent_pid=""
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Started from this shell (not a subshell), so that wine_wait can wait for it.
start_saver() {
  WINE_START_LOG=$work/saver.log wine_start "$saver" "$@" >"$work/pid"
  saver_pid=$(cat "$work/pid")
}

saver_running() { [ -n "$saver_pid" ] && kill -0 "$saver_pid" 2>/dev/null; }

stop_leftover_saver() {
  if saver_running; then
    kill "$saver_pid" 2>/dev/null
    wine_wait "$saver_pid" 5 >/dev/null 2>&1
  fi
  saver_pid=""
  if [ -n "$parent_pid" ] && kill -0 "$parent_pid" 2>/dev/null; then
    kill "$parent_pid" 2>/dev/null
    wine_wait "$parent_pid" 5 >/dev/null 2>&1
  fi
}
trap stop_leftover_saver EXIT

# Waits for the saver to end by itself; checks the exit code and reports the time.
expect_exit_zero() {
  local what=$1 seconds=$2 started=$3 status
  wine_wait "$saver_pid" "$seconds"
  status=$?
  saver_pid=""
  echo "$what: ended with code $status after $(($(now_ms) - started)) ms"
  [ "$status" -eq 0 ] || fail "$what: exit code $status (124: still running after ${seconds} s)"
}

# The screen shows nothing: one colour, black. Polled, because a window being
# destroyed may still be on the screen for a moment.
expect_black_screen() {
  local what=$1 shot=$work/$2 tries=20 colours
  while [ "$tries" -gt 0 ]; do
    screen_shot "$shot" && colours=$(image_colours "$shot") && [ "$colours" = 1 ] &&
      [ "$(image_mean "$shot")" = 0 ] && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "$what: the screen is not black (${colours:-?} colours, $shot)"
}

# The disc round the centre of a screenshot, where the kaleidoscope lies; the
# logo strip in the corner is left out. Writes $work/disc.png and prints how
# strong the picture in it is (its difference from black, 0 to 1).
disc_strength() {
  local shot=$1 size
  size=$((screen_h - 120))
  /usr/bin/convert "$shot" -crop "${size}x${size}+$((centre_x - size / 2))+$((centre_y - size / 2))" +repage \
    \( -size "${size}x${size}" xc:black -fill white -draw "circle $((size / 2)),$((size / 2)) $((size / 2)),10" \) \
    -compose multiply -composite -blur 0x2 "$work/disc.png" || return 1
  /usr/bin/convert -size "${size}x${size}" xc:black "$work/black.png" || return 1
  rmse "$work/disc.png" "$work/black.png"
}

# The tiles fade in after the logo strip: polls screenshots (at most 10 s)
# until the disc round the centre holds a clear picture; leaves it in FILE.
wait_kaleidoscope() {
  local what=$1 shot=$work/$2 tries=40 strength=0
  while [ "$tries" -gt 0 ]; do
    if screen_shot "$shot"; then
      strength=$(disc_strength "$shot")
      number_holds "$strength" 'm > 0.05' && return 0
    fi
    sleep 0.25
    tries=$((tries - 1))
  done
  fail "$what: no kaleidoscope round the centre within 10 s (strength ${strength:-?}, $shot)"
  return 1
}

# How far the picture differs from itself turned by two wedges, relative to
# the picture's own strength, at the best of the wedge counts the scene uses
# (10 to 24): near 0 for a mirrored kaleidoscope, near 1 or above for tiles
# drawn once. The disc is blurred a little first, so that the resampling of
# the turn does not count as a difference in the tiles' fine lines.
rotational_mismatch() {
  local shot=$1 strength best=100 n angle m
  strength=$(disc_strength "$shot") || return 1
  number_holds "$strength" 'm > 0.01' || { echo 100; return 0; }
  for n in 10 12 14 16 18 20 22 24; do
    angle=$(awk -v n=$n 'BEGIN { printf "%.6f", 720 / n }')
    /usr/bin/convert "$work/disc.png" -virtual-pixel black -distort SRT "$angle" "$work/rotated.png" || return 1
    m=$(rmse "$work/disc.png" "$work/rotated.png") || return 1
    best=$(awk -v a="$best" -v b="${m:-1}" -v s="$strength" 'BEGIN { r = b / s; print (r < a) ? r : a }')
  done
  echo "$best"
}

# Normalised root-mean-square difference of two images of one size, 0 to 1.
# compare's own status says only whether the images differ, so it is not
# passed on; a missing number fails.
rmse() {
  local out
  out=$(/usr/bin/compare -metric RMSE "$1" "$2" null: 2>&1) || true
  out=$(printf '%s\n' "$out" | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p')
  [ -n "$out" ] || return 1
  echo "$out"
}

# True when $1 is a number and the awk condition $2 holds for it as m.
number_holds() {
  awk -v m="$1" "BEGIN { exit !(m ~ /^[0-9.e+-]+\$/ && ($2)) }"
}

set_dword() { wine_reg 30 add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1 || fail "reg add $1 $2"; }
delete_key() { wine_reg 30 delete "$1" /f >/dev/null 2>&1 || true; }
# "REG_TYPE DATA" of one value, or nothing when it is missing.
query_value() {
  wine_reg 30 query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { print $2, $3; found = 1 } END { exit found ? 0 : 1 }'
}

# The saver's start: the picture appears (polled, at most 10 s).
expect_picture() {
  local what=$1 shot=$work/$2
  if ! screen_wait_picture "$shot" 10 16; then
    fail "$what: no picture within 10 s ($shot)"
    return 1
  fi
  saver_running || fail "$what: the saver ended by itself"
}

case_fullscreen() {
  # Mirrors on, as on a first run.
  delete_key 'HKCU\Software\Quent'
  expect_black_screen "before /s" before.png
  x_pointer_move "$centre_x" "$centre_y"
  start_saver /s
  expect_picture "/s" first.png || return
  # A wedge change may be gliding when the picture is taken (one starts at
  # the first frame a tenth of the time): its in-between angle does not close
  # the circle evenly. A glide lasts two seconds and the next can start only
  # eight seconds on, so a second look after the glide sees table wedges.
  local mismatch attempt
  for attempt in 1 2 3; do
    wait_kaleidoscope "/s" picture.png || return
    mismatch=$(rotational_mismatch "$work/picture.png")
    echo "/s: rotational mismatch $mismatch (mirrored kaleidoscope: below 0.1)"
    number_holds "$mismatch" 'm < 0.1' && break
    sleep 2.5
  done
  number_holds "$mismatch" 'm < 0.1' || fail "/s: the picture has no wedge symmetry ($mismatch)"
  local started
  started=$(now_ms)
  x_key a || fail "xdotool key"
  expect_exit_zero "/s after a key" 5 "$started"
  expect_black_screen "after /s" after.png
}

case_threshold() {
  # A threshold of our own, so that the system value is seen to be read.
  local threshold=30
  delete_key 'HKCU\Software\Quent'
  set_dword "$system_key" "Mouse Threshold" "$threshold"
  x_pointer_move "$centre_x" "$centre_y"
  start_saver /s
  expect_picture "/s threshold" picture.png || { delete_key "$system_key"; return; }
  # Exactly the threshold on one axis, then on both at once: the saver stays.
  x_pointer_move $((centre_x + threshold)) "$centre_y"
  sleep 1
  saver_running || fail "a move of exactly $threshold px ended the saver"
  x_pointer_move $((centre_x - threshold)) $((centre_y - threshold))
  sleep 1
  saver_running || fail "a diagonal move of $threshold px on both axes ended the saver"
  x_pointer_move "$centre_x" $((centre_y + threshold))
  sleep 1
  saver_running || fail "a move of exactly $threshold px down ended the saver"
  # One pixel more on one axis ends it.
  local started
  started=$(now_ms)
  x_pointer_move "$centre_x" $((centre_y + threshold + 1))
  expect_exit_zero "/s after a move of $((threshold + 1)) px" 5 "$started"
  delete_key "$system_key"
}

run_config_dialog() {
  start_saver /c
  if ! x_wait_window "Config dialog" 10 >/dev/null; then
    fail "/c: no \"Config dialog\" window"
    return 1
  fi
  screen_shot "$work/dialog.png"
  local key
  for key in "$@"; do
    x_key "$key" || fail "xdotool key $key"
    sleep 0.2
  done
  expect_exit_zero "/c after $*" 5 "$(now_ms)"
}

case_config_ok() {
  # The dialog starts with the focus on OK, the first tab stop; two tabs
  # reach the check box, space clears it, Enter presses the default button.
  delete_key 'HKCU\Software\Quent'
  run_config_dialog Tab Tab space Return || return
  local value
  value=$(query_value "$saver_key" UseMirrors) || fail "/c OK: no UseMirrors value"
  echo "/c, box cleared, Enter: UseMirrors = $value"
  [ "$value" = "REG_DWORD 0x0" ] || fail "/c OK with the box cleared stored '$value'"
  # Space on the focused OK button presses it with the box as it stands.
  run_config_dialog space || return
  value=$(query_value "$saver_key" UseMirrors) || fail "/c OK: no UseMirrors value"
  echo "/c, OK pressed with space: UseMirrors = $value"
  [ "$value" = "REG_DWORD 0x0" ] || fail "/c OK with the box as stored changed it to '$value'"
  delete_key 'HKCU\Software\Quent'
}

case_config_escape() {
  delete_key 'HKCU\Software\Quent'
  run_config_dialog Tab Tab space Escape || return
  if wine_reg 30 query "$saver_key" >/dev/null 2>&1; then
    fail "/c Escape created the saver's key"
  fi
  # With a stored value, Escape leaves it as it was.
  set_dword "$saver_key" UseMirrors 5
  run_config_dialog Tab Tab space Escape || return
  local value
  value=$(query_value "$saver_key" UseMirrors)
  [ "$value" = "REG_DWORD 0x5" ] || fail "/c Escape changed UseMirrors to '$value'"
  delete_key 'HKCU\Software\Quent'
}

case_preview() {
  [ -n "$preview_parent" ] || { fail "no preview parent program"; return; }
  local stop_file=$work/stop log=$work/parent.log stop_windows
  stop_windows="Z:${stop_file//\//\\}"
  WINE_START_LOG=$log wine_start "$preview_parent" "$saver" "$stop_windows" >"$work/pid"
  parent_pid=$(cat "$work/pid")
  local tries=100
  # Wine's console output ends its lines with CR LF.
  while [ "$tries" -gt 0 ] && ! grep -q '^child ' "$log" 2>/dev/null; do
    sleep 0.1
    tries=$((tries - 1))
  done
  tr -d '\r' <"$log" >"$work/parent.txt"
  cat "$work/parent.txt"
  local outer child
  outer=$(awk '$1 == "outer" { print $2, $3 }' "$work/parent.txt")
  child=$(awk '$1 == "child" { print $2, $3 }' "$work/parent.txt")
  if [ -z "$child" ] || [ "$child" = "none" ]; then
    fail "/p: the saver made no child window"
  fi
  [ "$child" = "$outer" ] || fail "/p: child $child, parent's outer size $outer"
  # The picture. Wine cannot show OpenGL drawn into a child of another
  # process's window on the screen: it keeps the child's drawable in an X
  # window of its own, off the screen under Composite. That window, found by
  # its size (the parent's outer size, as the child's must be), holds what the
  # saver drew, so it is read directly. (The grab loses the window's last row
  # and column, which Wine's off-screen holder at -1,-1 clips.)
  local width height gl_window="" colours=0 tries_left=50
  read -r width height <<<"$outer"
  while [ "$tries_left" -gt 0 ]; do
    gl_window=$(timeout 10 xwininfo -display "$DISPLAY" -root -tree 2>/dev/null |
      awk -v g="${width}x${height}+0+0" '$2 == "(has" && $6 == g { print $1; exit }')
    if [ -n "$gl_window" ] &&
      timeout -k 2 20 /usr/bin/import -display "$DISPLAY" -window "$gl_window" "$work/preview.png" 2>/dev/null; then
      colours=$(image_colours "$work/preview.png")
      [ "${colours:-0}" -ge 16 ] && break
    fi
    sleep 0.2
    tries_left=$((tries_left - 1))
  done
  echo "/p: drawable ${gl_window:-none}, $colours colours"
  [ "${colours:-0}" -ge 16 ] || fail "/p: no picture in the preview ($work/preview.png)"
  # The parent destroys itself and with it the preview; the saver then ends.
  touch "$stop_file"
  wine_wait "$parent_pid" 20
  local status=$?
  parent_pid=""
  tr -d '\r' <"$log" >"$work/parent.txt"
  cat "$work/parent.txt"
  grep -q '^exit 0$' "$work/parent.txt" || fail "/p: the saver did not end with code 0 when its parent went"
  [ "$status" -eq 0 ] || fail "/p: preview parent ended with $status"
}

case_silent_switches() {
  local args started status
  for args in "/a" "/a 77" "/x" "/" "-/s" "/p 0"; do
    expect_black_screen "before '$args'" before.png
    started=$(now_ms)
    # shellcheck disable=SC2086
    wine_run 20 "$saver" $args >"$work/out.log" 2>&1
    status=$?
    echo "'$args': code $status after $(($(now_ms) - started)) ms"
    [ "$status" -eq 0 ] || fail "'$args' ended with code $status"
    expect_black_screen "after '$args'" after.png
  done
}

case_no_mirrors() {
  set_dword "$saver_key" UseMirrors 0
  x_pointer_move "$centre_x" "$centre_y"
  start_saver /s
  if expect_picture "/s without mirrors" first.png && wait_kaleidoscope "/s without mirrors" picture.png; then
    local mismatch
    mismatch=$(rotational_mismatch "$work/picture.png")
    echo "/s without mirrors: rotational mismatch $mismatch (tiles drawn once: above 0.3)"
    number_holds "$mismatch" 'm > 0.3' || fail "without mirrors the picture is still mirrored ($mismatch)"
    local started
    started=$(now_ms)
    x_key a
    expect_exit_zero "/s without mirrors after a key" 5 "$started"
  fi
  delete_key 'HKCU\Software\Quent'
}

case "$case_name" in
fullscreen) case_fullscreen ;;
threshold) case_threshold ;;
config-ok) case_config_ok ;;
config-escape) case_config_escape ;;
preview) case_preview ;;
silent-switches) case_silent_switches ;;
no-mirrors) case_no_mirrors ;;
*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac

if [ "$failures" -gt 0 ]; then
  echo "$case_name: $failures failure(s); pictures in $work" >&2
  exit 1
fi
echo "$case_name: passed"
