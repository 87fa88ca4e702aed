# $ZELLIK_SCR under the ctest run's Wine session, for saver_e2e.sh; $ZELLIK_WINE_HELPER is tests/wine/wine_helper.cpp.
. "$here/../../scripts/windows/wine-lib.sh"
HOST_CLOSE_ENDS=0 HOST_SECONDS=5 # a WM_CLOSE no input asked for is ignored
HOST_PICTURE_SECONDS=30           # a Wine program's start takes long on a loaded machine
readonly SYSTEM_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers' SAVER_KEY='HKCU\Software\Quent\Dunmere'
forget() {
    for key in 'HKCU\Software\Quent' "$SYSTEM_KEY"; do wine_reg 30 delete "$key" /f >/dev/null 2>&1; done
}
host_begin() {
    wine_session_load || return 1
    XVFB_PID="" # the session's, not ours to stop
    forget # as on a first run
    at_exit forget
}
host_set() {
    local key=$SYSTEM_KEY
    [ "$1" = UseMirrors ] && key=$SAVER_KEY
    wine_reg 30 add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 || fail "reg add $1"
}
launch() { # LOG EXE ARGS...
    WINE_START_LOG=$WORK/$1.log wine_start "${@:2}" >/dev/null
    SAVER=$WINE_PID
}
host_start() { launch saver "$ZELLIK_SCR" /s; }
host_wait() { wine_wait "$SAVER" "$1"; }
host_close() { wine_run 20 "$ZELLIK_WINE_HELPER" close >/dev/null || fail "no saver window to close"; }
# A key goes to the window with the focus, which Wine gives a new window a moment after it shows.
focused() { [ "$(xdo getwindowfocus getwindowname 2>/dev/null)" = "$1" ]; }
key() { # [KEY [WINDOW]]
    wait_until 50 focused "${2:-SaverWindow}" || note "the focus is not on ${2:-SaverWindow}"
    xdo key "${1:-a}"
}

# Switches that show nothing (preview numbers naming no window too) end at once with 0, the screen black;
# /c and Escape store nothing.
case_switches() {
    local args
    for args in "/a" "/a 77" "/x" "/" "-/s" "/p 0" "/p -3" "/p 99999"; do
        launch switch "$ZELLIK_SCR" $args
        ends_within "'$args'" 20
        for pid in $(pgrep -f 'zellik\.scr'); do # of this session: another may run the saver meanwhile
            grep -qsz "^WINEPREFIX=$WINEPREFIX\$" "/proc/$pid/environ" && fail "'$args' left a process behind"
        done
        expect_picture after black
    done
    launch dialog "$ZELLIK_SCR" /c
    # Polled: a search fails outright when another window goes meanwhile.
    wait_until 100 xdo search --onlyvisible --name '^Config dialog$' >/dev/null 2>&1 || fail "/c: no dialog"
    key Escape 'Config dialog'
    ends_within "/c and Escape" "$HOST_SECONDS"
    wine_reg 30 query "$SAVER_KEY" >/dev/null 2>&1 && fail "/c and Escape stored a setting"
}

# /p in a helper's framed parent: the child fills the parent's outer rectangle, draws, ends with it.
case_preview() {
    local stop=$WORK/stop outer child id=""
    launch parent "$ZELLIK_WINE_HELPER" preview "$ZELLIK_SCR" "Z:${stop//\//\\}"
    wait_until 100 grep -qs '^child' "$WORK/parent.log"
    size() { tr -d '\r' <"$WORK/parent.log" | awk -v w="$1" '$1 == w { print $2 "x" $3 }'; }
    outer=$(size outer) child=$(size child)
    [ -n "$child" ] && [ "$child" = "$outer" ] || fail "/p: child ${child:-none}, parent's outer size $outer"
    # Wine draws GL in another process's child into an off-screen X window of its own, found by its size.
    preview_shown() {
        id=$(timeout 10 xwininfo -root -tree | awk -v g="$outer+0+0" '$2 == "(has" && $6 == g { print $1; exit }')
        [ -n "$id" ] && timeout 20 import -window "$id" "$WORK/preview.png" 2>/dev/null &&
            "$ZELLIK_PICTURE" "$WORK/preview.png" kaleidoscope >/dev/null
    }
    wait_until 80 preview_shown || fail "/p: no kaleidoscope ($("$ZELLIK_PICTURE" "$WORK/preview.png" kaleidoscope))"
    touch "$stop"
    ends_within "/p after its parent went" 20
    tr -d '\r' <"$WORK/parent.log" | grep -qx 'exit 0' || fail "/p: $(cat "$WORK/parent.log")"
}

# The zip holds saver, readme and licence as SHA256SUMS says; the silent setup puts zellik.scr in System32,
# registers its uninstaller, makes it the current saver, which runs (and then cannot be replaced: setup fails);
# uninstalling keeps only the user's setting.
case_installer() {
    local setup zip uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zellik'
    setup=$(ls "$ZELLIK_DIST"/zellik-*-setup.exe 2>/dev/null) && zip=$(ls "$ZELLIK_DIST"/zellik-*-windows-x64.zip) ||
        skip "no release in $ZELLIK_DIST (scripts/package.sh)"
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
    wine_run 120 "$setup" /S >/dev/null 2>&1 # over the running saver: zellik.scr cannot be replaced
    [ $? = 2 ] || fail "setup.exe /S over the running saver did not fail with 2"
    key_ends
    wine_run 60 'C:\Program Files\Zellik\uninstall.exe' /S >/dev/null 2>&1
    entry_gone() { ! wine_reg 30 query "$uninstall" >/dev/null 2>&1; }
    wait_until 150 entry_gone || fail "the uninstall entry stays"
    [ ! -e "$WINEPREFIX/drive_c/windows/system32/zellik.scr" ] || fail "zellik.scr stays"
    wine_reg 30 query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE >/dev/null 2>&1 && fail "SCRNSAVE.EXE stays"
    wine_reg 30 query "$SAVER_KEY" /v UseMirrors | grep -q 0x0 || fail "the user's UseMirrors went with it"
}

monitors() { # COUNT [XRANDR-ARGS...]: a change (or none), and Windows' notice once Wine counts COUNT monitors
    { [ $# = 1 ] || xrandr "${@:2}"; } && xrandr >/dev/null && wine_run 120 "$ZELLIK_WINE_HELPER" display-change "$1" ||
        fail "Wine does not count $1 monitors after xrandr ${*:2}"
}
# Xvfb shows Wine one monitor, Xorg's dummy driver with two RandR outputs two: this case brings that server and,
# as a wineserver serves one display, its own prefix, whose processes start before any saver is timed.
# An added monitor gets a kaleidoscope of its own; a removed one takes its scene along and the window shrinks;
# neither change is input, with the threshold at 0. Then two monitors of different sizes: a kaleidoscope
# centred on each, the threshold counted on the second as on the first.
case_monitors() {
    at_exit "WINEPREFIX=$WORK/prefix timeout 30 wineserver -k; export WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
    two_monitors
    wine_prefix_prepare "$WORK/prefix" && timeout -k 2 60 wineserver -w && wine_server_keep 60 || fail "no Wine prefix"
    monitors 1 --output DUMMY1 --off
    host_set "Mouse Threshold" 0
    started_with_picture one kaleidoscope 1280x720+0+0
    monitors 2 --output DUMMY1 --mode 1024x768 --right-of DUMMY0
    expect_picture added kaleidoscope 1024x768+1280+0
    expect_picture first kaleidoscope 1280x720+0+0
    monitors 1 --output DUMMY1 --off
    size=$(timeout 10 xwininfo -name SaverWindow | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
    [ "$size" = 1280x720 ] || fail "one monitor left, the window is $size"
    expect_picture removed kaleidoscope 1280x720+0+0
    stays "the monitors' changes"
    key_ends
    monitors 2 --output DUMMY1 --mode 1024x768 --right-of DUMMY0
    CX=$((1280 + 512)) CY=384 # the second monitor's centre
    host_set "Mouse Threshold" 12
    started_with_picture left kaleidoscope 1280x720+0+0
    expect_picture right kaleidoscope 1024x768+1280+0
    pointer $((CX + 12)) "$CY"
    stays "a move of 12 pixels on the second monitor"
    pointer "$CX" $((CY + 13))
    ends_within "a move of 13 pixels on the second monitor" "$HOST_SECONDS"
}
