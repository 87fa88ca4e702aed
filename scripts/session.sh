# What the headless desktops' session scripts (kwin-, mutter-, sway- and x11-session.sh) share, sourced by
# each. A session lives in a folder of its own under /tmp and is reached only through its programs' PIDs,
# which are checked to still be this shell's before any signal: a number seen earlier may be another
# program's by now.
#   session_dir NAME                 a fresh folder in SESSION_NEW: runtime (mode 700), files, home/.config,
#                                    home/.cache
#   session_env DIR [VAR=VALUE]...   SESSION_ENV: env -i with the folder's home and runtime, PATH and VARs
#   session_bus FILES CMD...         SESSION_BUS_COMMAND: CMD on a private session bus; the bus's address
#                                    goes to FILES/bus and CMD's PID to FILES/pid (exec keeps it)
#   session_stat PID                 its /proc stat from the state on: STATE PARENT ...
#   session_child_runs PID           PID is this shell's child and has not ended
#   session_owns RUN_PID PID         PID is RUN_PID's child and RUN_PID this shell's
#   session_end RUN_PID PID          TERM to PID, up to 5 s, KILL, up to 2 s, then TERM to RUN_PID; waits
session_dir() {
    SESSION_NEW=$(mktemp -d "/tmp/zellik-$1.XXXXXX")
    mkdir -p "$SESSION_NEW/runtime" "$SESSION_NEW/files" "$SESSION_NEW/home/.config" "$SESSION_NEW/home/.cache"
    chmod 700 "$SESSION_NEW/runtime"
}
session_env() {
    SESSION_ENV=(env -i HOME="$1/home" XDG_RUNTIME_DIR="$1/runtime" PATH=/usr/sbin:/usr/bin:/sbin:/bin "${@:2}")
}
session_bus() {
    command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
    SESSION_BUS_COMMAND=(dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; echo $$ >"$0/pid"
        exec "$@"' "$@")
}
session_stat() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null; }
session_child_runs() { # an ended child not yet waited for counts as gone
    local stat
    stat=$(session_stat "$1" | cut -d' ' -f1,2)
    [ "${stat#* }" = "$$" ] && [ "${stat% *}" != Z ]
}
session_owns() {
    local parent
    parent=$(session_stat "$2" | cut -d' ' -f2)
    [ -n "$parent" ] && [ "$parent" = "$1" ] && [ "$(session_stat "$1" | cut -d' ' -f2)" = "$$" ]
}
session_end() {
    [ -n "$1" ] || return 0
    ! session_owns "$1" "$2" || kill -TERM "$2"
    for _ in $(seq 50); do session_child_runs "$1" || break; sleep 0.1; done
    ! session_owns "$1" "$2" || kill -KILL "$2"
    for _ in $(seq 20); do session_child_runs "$1" || break; sleep 0.1; done
    ! session_child_runs "$1" || kill -TERM "$1"
    wait "$1" 2>/dev/null
}
