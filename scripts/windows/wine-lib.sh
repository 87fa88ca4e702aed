# Shell functions for running the Windows build under Wine on a virtual X
# screen. Source it:   . scripts/windows/wine-lib.sh
#
# Session (one Xvfb + one booted WINEPREFIX, shared by every wine test of a
# ctest run; made by wine-session.sh start DIR, described by DIR/session.env):
#   wine_session_load [FILE]     exports DISPLAY, WINEPREFIX, XVFB_PID, WINE* of
#                                the session (FILE defaults to $ZELLIK_WINE_SESSION);
#                                fails when the session is gone
#   xvfb_start DIR [WxHxD]       starts Xvfb -displayfd, sets DISPLAY and XVFB_PID
#   xvfb_stop PID                stops that Xvfb, by its own PID only
#   wine_prefix_prepare PREFIX   boots a fresh prefix (wineboot -i) and sets the
#                                values unattended runs need
#   wine_server_keep [SECONDS]   keeps a wineserver with Wine's system processes
#                                running for $WINEPREFIX (wine-session.sh does)
# Running programs (every call under timeout; exit codes passed through,
# 124 means the timeout struck):
#   wine_run SECONDS EXE [ARGS]  runs EXE to its end; stdout and stderr as is
#   wine_start EXE [ARGS]        starts EXE in the background, prints its PID and
#                                sets WINE_PID (stdout/stderr go to $WINE_START_LOG
#                                or /dev/null); call it in the test's own shell,
#                                not in $( ), if wine_wait is to get the exit code
#   wine_wait PID SECONDS        waits for a wine_start process; its exit code,
#                                or 124 after killing it when it outlives SECONDS
#   wine_reg SECONDS ARGS...     "wine reg ARGS" (add, query, delete, import)
#   wine_reg_value KEY NAME      prints the data of one value as reg query
#                                shows it (e.g. 0x0 for a DWORD 0); fails if missing
# The screen:
#   screen_shot FILE             the whole Xvfb screen as an image (PNG by suffix)
#   image_colours FILE           number of distinct colours in an image
#   image_mean FILE              mean grey level of an image, 0 to 255
#   screen_wait_picture FILE SECONDS [MIN_COLOURS]
#                                polls screenshots (every 0.2 s) until the screen
#                                shows at least MIN_COLOURS (default 16) colours;
#                                the last shot stays in FILE; fails on timeout
#   x_wait_window NAME SECONDS   waits for a visible X window whose title is NAME
#                                (Wine gives top-level windows their title);
#                                prints its X window id
#   x_key KEYS...                xdotool key, under timeout
#   x_pointer_move X Y           moves the pointer to absolute screen pixels
#   x_pointer_move_by DX DY      moves the pointer relatively

: "${ZELLIK_WINE_TIMEOUT_KILL:=5}"

wine_env_defaults() {
  export WINEDEBUG=-all
  export WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

wine_session_load() {
  local file=${1:-${ZELLIK_WINE_SESSION:-}}
  if [ -z "$file" ] || [ ! -f "$file" ]; then
    echo "wine-lib: no Wine session file (${file:-unset}); run the wine_session_start test" >&2
    return 1
  fi
  # shellcheck disable=SC1090
  . "$file"
  if ! kill -0 "$XVFB_PID" 2>/dev/null || [ ! -d "$WINEPREFIX" ]; then
    echo "wine-lib: the Wine session of $file has ended" >&2
    return 1
  fi
}

xvfb_start() {
  local dir=$1 screen=${2:-1280x720x24}
  mkdir -p "$dir"
  local numberFile=$dir/xvfb.display
  rm -f "$numberFile"
  # -displayfd: Xvfb picks a free display itself and writes its number once it
  # accepts clients, so no fixed number can clash with another server.
  # setsid keeps it out of the caller's process group, so that ctest, which
  # waits for a test's whole group, does not wait for the session's server.
  setsid /usr/bin/Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    3>"$numberFile" </dev/null >"$dir/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if grep -q '^[0-9][0-9]*$' "$numberFile" 2>/dev/null; then
      DISPLAY=:$(head -1 "$numberFile")
      export DISPLAY XVFB_PID
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-lib: Xvfb did not start (log: $dir/xvfb.log)" >&2
  kill "$XVFB_PID" 2>/dev/null || true
  return 1
}

xvfb_stop() {
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
}

wine_prefix_prepare() {
  local prefix=$1
  wine_env_defaults
  export WINEPREFIX=$prefix
  # A server may still serve an older prefix of the same name.
  if [ -d "$prefix" ]; then
    timeout -k 2 30 wineserver -k >/dev/null 2>&1 || true
  fi
  rm -rf "$prefix"
  mkdir -p "$prefix"
  timeout -k "$ZELLIK_WINE_TIMEOUT_KILL" 300 wineboot -i >/dev/null 2>&1 || {
    echo "wine-lib: wineboot -i failed in $prefix" >&2
    return 1
  }
  # Without a window manager a managed window makes every DestroyWindow wait
  # 2 s and dialogs may not get the focus; a crash dialog would wait for a
  # click until the test's timeout.
  local reg=$prefix/zellik-unattended.reg
  cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
  wine_reg 60 import "Z:${reg//\//\\}" >/dev/null 2>&1 || {
    echo "wine-lib: could not import $reg" >&2
    return 1
  }
}

# Starts a wineserver for $WINEPREFIX that outlives its programs (SECONDS
# after the last one, or for ever with no argument) and, when it is a new one,
# lets it start Wine's system processes (services, explorer, ...) from a
# program whose standard streams are /dev/null. Those processes inherit the
# streams of the program that starts them; started by a test program they
# would hold its output pipe open, and ctest would wait for them.
wine_server_keep() {
  local persist=-p${1:-}
  if setsid wineserver "$persist" </dev/null >/dev/null 2>&1; then
    timeout -k "$ZELLIK_WINE_TIMEOUT_KILL" 120 wine reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
  fi
  return 0
}

wine_run() {
  local seconds=$1
  shift
  timeout -k "$ZELLIK_WINE_TIMEOUT_KILL" "$seconds" wine "$@"
}

wine_start() {
  wine "$@" </dev/null >"${WINE_START_LOG:-/dev/null}" 2>&1 &
  WINE_PID=$!
  echo "$WINE_PID"
}

wine_wait() {
  local pid=$1 seconds=$2 waited=0
  # Polled rather than `timeout wait`: wait is a shell builtin.
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge $((seconds * 10)) ]; then
      kill "$pid" 2>/dev/null || true
      sleep 0.5
      kill -9 "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      return 124
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$pid"
}

wine_reg() {
  local seconds=$1
  shift
  timeout -k "$ZELLIK_WINE_TIMEOUT_KILL" "$seconds" wine reg "$@"
}

wine_reg_value() {
  local key=$1 name=$2 out
  out=$(wine_reg 30 query "$key" /v "$name" 2>/dev/null | tr -d '\r') || return 1
  # "    NAME    REG_TYPE    DATA"
  printf '%s\n' "$out" | awk -v n="$name" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, n " ") == 1 || index(line, n "\t") == 1 {
      rest = substr(line, length(n) + 1); sub(/^[ \t]+/, "", rest)
      sub(/^[A-Z_]+[ \t]*/, "", rest); print rest; found = 1; exit
    }
    END { exit found ? 0 : 1 }'
}

screen_shot() {
  timeout -k 2 20 /usr/bin/import -display "$DISPLAY" -window root "$1" 2>/dev/null
}

image_colours() {
  timeout 20 /usr/bin/identify -format '%k' "$1"
}

image_mean() {
  timeout 20 /usr/bin/convert "$1" -colorspace Gray -format '%[fx:int(255*mean+0.5)]' info:
}

screen_wait_picture() {
  local file=$1 seconds=$2 wanted=${3:-16} tries colours
  tries=$((seconds * 5))
  while [ "$tries" -gt 0 ]; do
    if screen_shot "$file"; then
      colours=$(image_colours "$file" 2>/dev/null || echo 0)
      [ "${colours:-0}" -ge "$wanted" ] && return 0
    fi
    sleep 0.2
    tries=$((tries - 1))
  done
  echo "wine-lib: no picture with $wanted colours within ${seconds}s (last: ${colours:-none})" >&2
  return 1
}

x_wait_window() {
  local name=$1 seconds=$2 id
  id=$(timeout -k 2 "$seconds" xdotool search --sync --onlyvisible --name "^${name}\$" 2>/dev/null | head -1)
  [ -n "$id" ] || return 1
  echo "$id"
}

x_key() {
  timeout -k 2 10 xdotool key "$@"
}

x_pointer_move() {
  timeout -k 2 10 xdotool mousemove "$1" "$2"
}

x_pointer_move_by() {
  timeout -k 2 10 xdotool mousemove_relative -- "$1" "$2"
}
