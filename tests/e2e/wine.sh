# zellik.scr under Wine (sourced by saver_e2e.sh), on the ctest run's Wine
# session (scripts/windows/wine-session.sh): $ZELLIK_SCR is the saver,
# $ZELLIK_WINE_HELPER the Windows helper (tests/wine/wine_helper.cpp).
. "$here/../../scripts/windows/wine-lib.sh"
HOST_CLOSE_ENDS=0 # a WM_CLOSE that no input asked for is ignored
HOST_BLACK=1
HOST_SECONDS=5
readonly SYSTEM_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'
readonly SAVER_KEY='HKCU\Software\Quent\Dunmere'

host_begin() {
    wine_session_load || return 1
    XVFB_PID="" # the session's, not ours to stop
    # The settings of a first run; the session's other tests leave none.
    wine_reg 30 delete 'HKCU\Software\Quent' /f >/dev/null 2>&1
    wine_reg 30 delete "$SYSTEM_KEY" /f >/dev/null 2>&1
    at_exit 'wine_reg 30 delete "HKCU\Software\Quent" /f >/dev/null 2>&1; wine_reg 30 delete "$SYSTEM_KEY" /f >/dev/null 2>&1'
}

host_set() {
    local key=$SYSTEM_KEY value=$2
    [ "$1" = UseMirrors ] && key=$SAVER_KEY
    [ "$value" -ge 0 ] || value=$((value + 4294967296))
    wine_reg 30 add "$key" /v "$1" /t REG_DWORD /d "$value" /f >/dev/null 2>&1 || fail "reg add $1"
}

host_start() {
    WINE_START_LOG=$WORK/saver.log wine_start "$ZELLIK_SCR" /s >/dev/null
    SAVER=$WINE_PID
    BACKGROUND_PIDS+=("$SAVER")
}
host_wait() {
    wine_wait "$SAVER" "$1"
    STATUS=$?
}
host_close() { wine_run 20 "$ZELLIK_WINE_HELPER" close >/dev/null || fail "no saver window to close"; }

# The switches that show nothing end at once with 0, the screen left black:
# among them preview numbers that name no window one can draw into.
case_switches() {
    local args t0 status
    for args in "/a" "/a 77" "/x" "/" "-/s" "/p 0" "/p -3" "/p 99999"; do
        t0=$(now_ms)
        wine_run 20 "$ZELLIK_SCR" $args >/dev/null 2>&1
        status=$?
        note "'$args': status $status after $(($(now_ms) - t0)) ms"
        [ "$status" = 0 ] || fail "'$args' ended with $status (124: still running after 20 s)"
        pgrep -f 'zellik\.scr' >/dev/null && fail "'$args' left a process behind"
        expect_picture after black
    done
    # /c shows the dialog; Escape ends it without storing anything.
    WINE_START_LOG=$WORK/dialog.log wine_start "$ZELLIK_SCR" /c >/dev/null
    SAVER=$WINE_PID
    BACKGROUND_PIDS+=("$SAVER")
    # Polled: a search fails outright when another window goes while it looks.
    local deadline=$(($(now_ms) + 10000))
    until xdo search --onlyvisible --name '^Config dialog$' >/dev/null 2>&1; do
        [ "$(now_ms)" -le "$deadline" ] || fail "/c: no dialog"
        sleep 0.2
    done
    xdo key Escape
    ends_within "/c and Escape" "$HOST_SECONDS"
    wine_reg 30 query "$SAVER_KEY" >/dev/null 2>&1 && fail "/c and Escape stored a setting"
}

# The display settings' part: the helper makes a framed parent window and
# starts /p with it; the saver's child fills the parent's outer rectangle,
# draws, and ends with 0 when the parent goes.
case_preview() {
    local stop=$WORK/stop
    WINE_START_LOG=$WORK/parent.log wine_start "$ZELLIK_WINE_HELPER" preview "$ZELLIK_SCR" "Z:${stop//\//\\}" >/dev/null
    SAVER=$WINE_PID
    BACKGROUND_PIDS+=("$SAVER")
    for _ in $(seq 100); do grep -q '^child' "$WORK/parent.log" 2>/dev/null && break; sleep 0.1; done
    local outer child
    outer=$(tr -d '\r' <"$WORK/parent.log" | awk '$1 == "outer" { print $2 "x" $3 }')
    child=$(tr -d '\r' <"$WORK/parent.log" | awk '$1 == "child" { print $2 "x" $3 }')
    [ -n "$child" ] && [ "$child" = "$outer" ] || fail "/p: child ${child:-none}, parent's outer size $outer"
    # Wine keeps GL drawn into another process's child window in an X window
    # of its own, off the screen; found by its size, it holds the picture.
    local id="" deadline=$(($(now_ms) + 10000))
    while [ "$(now_ms)" -le "$deadline" ]; do
        id=$(timeout 10 xwininfo -root -tree | awk -v g="$outer+0+0" '$2 == "(has" && $6 == g { print $1; exit }')
        [ -n "$id" ] && timeout 20 import -window "$id" "$WORK/preview.png" 2>/dev/null &&
            "$ZELLIK_PICTURE" "$WORK/preview.png" kaleidoscope >/dev/null && break
        id=""
        sleep 0.3
    done
    [ -n "$id" ] || fail "/p: no kaleidoscope in the preview ($("$ZELLIK_PICTURE" "$WORK/preview.png" kaleidoscope))"
    touch "$stop"
    ends_within "/p after its parent went" 20
    tr -d '\r' <"$WORK/parent.log" | grep -qx 'exit 0' || fail "/p: $(cat "$WORK/parent.log")"
}

# The release for Windows: the zip holds the saver, its readme and the
# licence, as SHA256SUMS says; the silent setup puts zellik.scr in System32,
# registers its uninstaller and makes it the current saver, which then runs;
# the silent uninstall takes all of that away and keeps the user's setting.
case_installer() {
    local setup zip uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zellik'
    setup=$(ls "$ZELLIK_DIST"/zellik-*-setup.exe 2>/dev/null) && zip=$(ls "$ZELLIK_DIST"/zellik-*-windows-x64.zip) ||
        { echo "SKIP: no release in $ZELLIK_DIST (scripts/package.sh)"; exit 77; }
    [ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE.txt README.txt zellik.scr " ] || fail "the zip holds $(unzip -Z1 "$zip")"
    (cd "$ZELLIK_DIST" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
    host_set UseMirrors 0
    wine_run 120 "$setup" /S >/dev/null 2>&1 || fail "setup.exe /S"
    cmp -s "$WINEPREFIX/drive_c/windows/system32/zellik.scr" <(unzip -p "$zip" zellik.scr) || fail "no zellik.scr in System32"
    wine_reg 30 query "$uninstall" | tr -d '\r' >"$WORK/uninstall.txt"
    for value in 'DisplayName.*Zellik screen saver' 'DisplayVersion' 'Publisher' 'EstimatedSize' 'UninstallString.*uninstall.exe'; do
        grep -q "$value" "$WORK/uninstall.txt" || fail "uninstall entry without $value: $(cat "$WORK/uninstall.txt")"
    done
    wine_reg 30 query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE | grep -qi 'system32\\zellik.scr' || fail "not the current saver"
    ZELLIK_SCR='C:\windows\system32\zellik.scr' started_with_picture installed plain # mirrors off, as stored
    key
    ends_within "the installed saver after a key" "$HOST_SECONDS"
    wine_run 60 'C:\Program Files\Zellik\uninstall.exe' /S >/dev/null 2>&1
    for _ in $(seq 100); do wine_reg 30 query "$uninstall" >/dev/null 2>&1 || break; sleep 0.2; done
    wine_reg 30 query "$uninstall" >/dev/null 2>&1 && fail "the uninstall entry stays"
    [ ! -e "$WINEPREFIX/drive_c/windows/system32/zellik.scr" ] || fail "zellik.scr stays"
    wine_reg 30 query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE >/dev/null 2>&1 && fail "SCRNSAVE.EXE stays"
    wine_reg 30 query "$SAVER_KEY" /v UseMirrors | grep -q 0x0 || fail "the user's UseMirrors went with it"
}
