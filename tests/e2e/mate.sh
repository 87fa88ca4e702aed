# MATE's screen saver running Zellik from its desktop entry, for saver_e2e.sh: Xvfb, mate-screensaver on a
# private bus and settings (mode 'single', theme screensavers-zellik, no lock). It runs programs from its fixed
# folders only: the tree `cmake --install --prefix /usr` makes of $ZELLIK_BUILD is laid over /usr/libexec and
# /usr/share/applications in a mount namespace of its own, which needs root (or sudo without a password).
export XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1
MATE_PID="" BUS="" PROGRAM=/usr/libexec/xscreensaver/zellik

host_begin() {
    command -v mate-screensaver >/dev/null && command -v dbus-run-session >/dev/null || skip "no mate-screensaver"
    need_root "laying the installed tree over mate-screensaver's folders"
    DESTDIR=$WORK/root cmake --install "$ZELLIK_BUILD" --prefix /usr >"$WORK/install.log" 2>&1 ||
        fail "cmake --install: $(tail -n 3 "$WORK/install.log")"
    grep -qx "Exec=$PROGRAM --root" "$WORK/root/usr/share/applications/screensavers/zellik.desktop" || fail "no entry"
    local keyfile=$XDG_CONFIG_HOME/glib-2.0/settings/keyfile
    mkdir -p "${keyfile%/*}" && printf '%s\n' '[org/mate/screensaver]' "mode='single'" "themes=['screensavers-zellik']" \
        lock-enabled=false idle-activation-enabled=false >"$keyfile"
    xvfb_start "$WORK" 640x480x24 || return 1
    local as_caller=() # as root the daemon runs as root; through sudo, as the caller
    [ ${#ROOT[@]} = 0 ] || as_caller=(setpriv --reuid="$(id -u)" --regid="$(id -g)" --init-groups)
    "${ROOT[@]}" unshare -m --propagation private sh -c '
        mount -t overlay overlay -o "lowerdir=$0/usr/libexec:/usr/libexec" /usr/libexec &&
        mount -t overlay overlay -o "lowerdir=$0/usr/share/applications:/usr/share/applications" \
            /usr/share/applications || { echo "no private mounts" >"$0/../mounts"; exit 1; }
        exec "$@"' "$WORK/root" "${as_caller[@]}" env DISPLAY="$DISPLAY" HOME="$HOME" PATH="$PATH" \
        XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_CACHE_HOME="$XDG_CACHE_HOME" GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1 \
        dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; echo $$ >"$0/mate.pid"
            exec mate-screensaver --no-daemon --debug' "$WORK" >"$WORK/mate.log" 2>&1 &
    BACKGROUND_PIDS+=("$!")
    # Ended through the daemon, which ends its saver and the bus with it.
    at_exit '! mate_alive || { "${ROOT[@]}" kill -TERM "$MATE_PID"; wait_until 50 eval ! mate_alive; }'
    wait_until 100 test -s "$WORK/bus" -a -s "$WORK/mate.pid" ||
        { [ ! -e "$WORK/mounts" ] && ! grep -q "cannot change root filesystem propagation" "$WORK/mate.log" ||
              skip "no private mounts here (unshare -m, overlay)"
          fail "mate-screensaver did not start: $(tail -n 5 "$WORK/mate.log")"; }
    MATE_PID=$(cat "$WORK/mate.pid") BUS=$(cat "$WORK/bus")
    wait_until 100 eval 'command_ok --query >/dev/null' || fail "no answer: $(tail -n 5 "$WORK/mate.log")"
}
mate_alive() { [ -n "$MATE_PID" ] && [ "$(cat "/proc/$MATE_PID/comm" 2>/dev/null)" = mate-screensave ]; }
command_ok() { DBUS_SESSION_BUS_ADDRESS=$BUS timeout 10 mate-screensaver-command "$@" 2>&1; }
saver_of_mate() { pgrep -P "$MATE_PID" -f "^$PROGRAM --root\$"; } # the daemon's own saver, if it runs one
two_moves() { pointer 100 100 && sleep 0.3 && pointer 400 300; } # > a tenth of the screen from the first seen
activated() { # WHAT: activated, the saver runs in the daemon's window and shows a kaleidoscope
    pointer "$CX" "$CY"
    command_ok --activate >/dev/null || fail "$1: --activate failed"
    wait_until 100 saver_of_mate >/dev/null && SAVER=$(saver_of_mate) || fail "$1: no $PROGRAM --root started"
    expect_picture "$1" kaleidoscope
}
all_ended() { # WHAT: the daemon is inactive and no zellik stays
    wait_until 50 eval '! saver_of_mate && gone "$SAVER"' >/dev/null || fail "$1: zellik still runs after a move"
    wait_until 50 eval 'command_ok --query | grep -q "is inactive"' || fail "$1: the screen saver stays active"
}
term_pending() { (((0x$(awk '/^ShdPnd:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0) >> 14) & 1)); }

# A move ends it. The daemon pauses its saver with SIGSTOP and SIGCONT: after a pause it draws on; a move
# while it is stopped makes the daemon send SIGTERM, which waits, and it ends at once when continued.
case_screensaver() {
    activated screensaver && two_moves
    all_ended "a move"
    activated before-pause
    kill -STOP "$SAVER" && sleep 2 && kill -CONT "$SAVER"
    expect_picture after-pause kaleidoscope
    kill -STOP "$SAVER" && two_moves
    wait_until 50 term_pending "$SAVER" || fail "no SIGTERM came to the stopped saver"
    kill -CONT "$SAVER" && wait_until 10 gone "$SAVER" || fail "SIGTERM did not end it within a second of SIGCONT"
    all_ended "a move while it was stopped"
}
