#!/usr/bin/env bash
# A real client: Debian's xscreensaver daemon, told by ~/.xscreensaver to run
# "GL: zellik --root" as its only mode. Activating it shows our picture;
# deactivating it ends our process. The daemon will not run its programs as
# root, so as root the test uses an ordinary account of its own.
# Usage: xscreensaver.sh ZELLIK
ZELLIK=$1
. "$(dirname "$0")/lib.sh"
command -v xscreensaver >/dev/null || { echo "SKIP: xscreensaver is not installed"; exit 77; }

ACCOUNT=$(id -un)
if [ "$(id -u)" = 0 ]; then
    ACCOUNT=zellik-test
    id "$ACCOUNT" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$ACCOUNT"
fi
ACCOUNT_HOME=$(getent passwd "$ACCOUNT" | cut -d: -f6)
as_account() {
    if [ "$ACCOUNT" = "$(id -un)" ]; then
        env -i HOME="$ACCOUNT_HOME" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"
    else
        runuser -u "$ACCOUNT" -- env -i HOME="$ACCOUNT_HOME" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"
    fi
}

# The program where the account can run it, wherever the build tree is.
cp "$ZELLIK" "$WORK/zellik"
chmod 755 "$WORK/zellik"

start_xvfb 640x480

# Only our program, selected, no lock, no fading, no splash: activation must
# show nothing but zellik.
SETTINGS="$ACCOUNT_HOME/.xscreensaver"
[ ! -e "$SETTINGS" ] || cp "$SETTINGS" "$WORK/xscreensaver.saved"
cat >"$SETTINGS" <<EOT
mode:		one
selected:	0
timeout:	1:00:00
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
programs:	GL: $WORK/zellik --root \n
EOT
chown "$ACCOUNT" "$SETTINGS"
restore_settings() {
    if [ -e "$WORK/xscreensaver.saved" ]; then cp "$WORK/xscreensaver.saved" "$SETTINGS"; else rm -f "$SETTINGS"; fi
}

as_account xscreensaver -no-splash -verbose >"$WORK/daemon.log" 2>&1 &
DAEMON=$!
BACKGROUND_PIDS+=("$DAEMON")
stop_daemon() {
    as_account timeout 10 xscreensaver-command -exit >/dev/null 2>&1 || true
    wait_gone "$DAEMON" 5000 || kill -TERM "$DAEMON" 2>/dev/null || true
}
trap 'stop_daemon; restore_settings; cleanup' EXIT

# The daemon answers once it is up.
for i in $(seq 50); do
    as_account timeout 5 xscreensaver-command -version >/dev/null 2>&1 && break
    sleep 0.2
done
as_account timeout 10 xscreensaver-command -activate >"$WORK/activate.log" 2>&1 ||
    fail "activate: $(cat "$WORK/activate.log") $(cat "$WORK/daemon.log")"

# Our process appears, as the account, and its picture fills the screen.
HACK=""
for i in $(seq 100); do
    HACK=$(pgrep -u "$ACCOUNT" -f "^$WORK/zellik --root" | head -n1 || true)
    [ -n "$HACK" ] && break
    sleep 0.1
done
[ -n "$HACK" ] || fail "xscreensaver did not start zellik: $(tail -n 20 "$WORK/daemon.log")"
grep -q '^XSCREENSAVER_WINDOW=' "/proc/$HACK/environ" 2>/dev/null ||
    tr '\0' '\n' <"/proc/$HACK/environ" | grep -q '^XSCREENSAVER_WINDOW=' ||
    fail "zellik was started without XSCREENSAVER_WINDOW"
wait_quarters "$WORK/active.png" 640x480 || fail "our picture does not fill the screen while xscreensaver is active"
keep_shot "$WORK/active.png" xscreensaver-active.png
note "activate: zellik (pid $HACK) draws the screen"

as_account timeout 10 xscreensaver-command -deactivate >/dev/null 2>&1 || fail "deactivate failed"
wait_gone "$HACK" 5000 || fail "zellik still runs after -deactivate"
note "deactivate: zellik ended"
keep_shot "$WORK/daemon.log" xscreensaver-daemon.log
echo PASS
