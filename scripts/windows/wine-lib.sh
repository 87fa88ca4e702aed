# Shell functions for running the Windows build under Wine on a virtual X
# screen. Source it:   . scripts/windows/wine-lib.sh
#
# Session (one Xvfb + one booted WINEPREFIX, shared by every wine test of a
# ctest run; made by wine-session.sh start DIR, described by DIR/session.env):
#   wine_session_load [FILE]     exports DISPLAY, WINEPREFIX, XVFB_PID, WINE* of
#                                the session (FILE defaults to $ZELLIK_WINE_SESSION);
#                                fails when the session is gone
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

wine_prefix_prepare() {
  local prefix=$1
  wine_env_defaults
  export WINEPREFIX=$prefix
  # A server may still serve an older prefix of the same name.
  if [ -d "$prefix" ]; then
    timeout -k 2 30 wineserver -k >/dev/null 2>&1 || true
  fi
  # A new prefix may get the inode of the one just removed, and with it the
  # server socket of that prefix's wineserver while it is still ending: on a
  # failed boot, wait for every server of this prefix to end and boot again.
  local log=$prefix.wineboot.log attempt
  for attempt in 1 2; do
    rm -rf "$prefix"
    mkdir -p "$prefix"
    timeout -k "$ZELLIK_WINE_TIMEOUT_KILL" 300 wineboot -i >"$log" 2>&1 && break
    echo "wine-lib: wineboot -i failed in $prefix (attempt $attempt): $(tail -n 5 "$log")" >&2
    [ "$attempt" = 1 ] || return 1
    timeout -k 2 30 wineserver -k >/dev/null 2>&1 || true
    timeout -k 2 30 wineserver -w >/dev/null 2>&1 || true
  done
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
