# The Linux saver on a headless KWin, for saver_e2e.sh, with input through KDE's fake-input protocol (the test
# client's input mode). KWin's screen cannot be read headless: its virtual outputs composite with QPainter,
# where its screenshot effect is not offered. So a picture here is the saver's frames going on (frame
# callbacks come only for what KWin shows), and what covers what is KWin's own stacking order, which it
# paints in, read by a KWin script; the idle watcher's saver shows what it drew in its protocol log (idle.sh).
SESSION=kwin
. "$here/idle.sh"
HOST_BLACK=0 IDLE_ENV=WAYLAND_DEBUG=client

host_begin() {
    [ -n "${ZELLIK_FAKE_INPUT:-}" ] || skip "the test client was built without fake input (plasma-wayland-protocols)"
    session_begin
    # KWin gives the seat a pointer only while some device has one: this one lasts as long as the test.
    spawn input "$ZELLIK_TEST_CLIENT" input
    BACKGROUND_PIDS+=("$SPAWNED")
    wait_until 50 grep -q ready "$FILES/input.out" || fail "no fake input: $(cat "$FILES/input.err")"
}
host_start() {
    spawn saver "$ZELLIK" --fullscreen --trace
    SAVER=$SPAWNED
}
screen_size() { echo 800 600; }
# On each output a layer surface's popup of the output's size, which the saver draws in.
configured() { [ "$(grep -c 'xdg_popup@[0-9]*\.configure(0, 0, 800, 600)' <<<"$1")" -ge 2 ]; }
pointer() { as_kwin "$ZELLIK_TEST_CLIENT" input to "$1" "$2"; }
key() { as_kwin "$ZELLIK_TEST_CLIENT" input key 30; }
click() { as_kwin "$ZELLIK_TEST_CLIENT" input click; }
expect_picture() {
    local frames=$(($(traced) + 10))
    wait_until 100 traced_beyond "$frames" || fail "$1: fewer than 10 frames in 10 s"
    note "$1: $(traced) frames traced"
}

# KWin's windows, one line each: CLASS popup|surface X,Y,WxH STACKING-INDEX FULLSCREEN ACTIVE.
windows() {
    local tag=zellik-$RANDOM$RANDOM
    printf '%s\n' 'workspace.clientList().forEach(function (w) { var g = w.frameGeometry;' \
        "print('$tag ' + [w.resourceClass, w.popupWindow ? 'popup' : 'surface', g.x + ',' + g.y + ',' + g.width + 'x' + g.height," \
        '    w.stackingOrder, w.fullScreen, w.active].join(" ")); });' "print('$tag.');" >"$KWIN_DIR/$tag.js"
    as_kwin dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        string:"$KWIN_DIR/$tag.js" string:"$tag" >/dev/null &&
        as_kwin dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.start >/dev/null
    wait_until 50 grep -q "^js: $tag\.$" "$FILES/kwin.err"
    sed -n "s/^js: $tag //p" "$FILES/kwin.err"
}
USER_WINDOW_AS_BEFORE='true true'
host_user_window() { windows | awk '$1 == "zellik-test-client" { print $1, $3, $5, $6 }'; }

# KWin's order of painting: the saver's popups over all of both outputs, above both of the test client's.
overlay_below() {
    windows >"$WORK/windows"
    note "$(cat "$WORK/windows")"
    awk 'NR == FNR { if ($1 == "zellik-test-client") { n++; if ($4 > top) top = $4 }; next }
        $1 == "zellik" && $2 == "popup" && $3 ~ /,800x600$/ { print $3, (n == 2 && $4 > top) }' "$WORK/windows" "$WORK/windows" |
        sort | tr '\n' ' ' | grep -q '^0,0,800x600 1 800,0,800x600 1 $' ||
        fail "the saver is not over all of both outputs, above the other overlay surfaces"
}
