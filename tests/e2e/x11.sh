# The Linux saver ($ZELLIK) on X11, for saver_e2e.sh; $ZELLIK_TEST_WINDOW is tests/x11/test_window.cpp.
export XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory GDK_BACKEND=x11
INI=$XDG_CONFIG_HOME/zellik/zellik.ini

host_begin() { xvfb_start "$WORK" 640x480x24; }
start() { # NAME ARGS...
    "$ZELLIK" "${@:2}" >"$WORK/$1.out" 2>"$WORK/$1.err" &
    SAVER=$!
}
host_start() { start saver --fullscreen; }
quiet_end() { # NAME SECONDS: ended with 0, nothing on stderr
    ends_within "$1" "$2"
    [ ! -s "$WORK/$1.err" ] || fail "$1: stderr: $(cat "$WORK/$1.err")"
}
cursor() { timeout 10 "$ZELLIK_TEST_WINDOW" cursor -; }
window_named() { xdo search --sync --onlyvisible --name "^$1\$" | head -n1; }
windows() { [ "$(xdo search --name '^Zellik$' | wc -l)" = "$1" ]; } # COUNT: of the saver's
# The Windows build's buffers (double-buffered 8-bit RGBA, nothing else) on a 24-bit visual, in the window
# a picture in $1 is drawn into: without depth or stencil, whose clear each frame only costs.
windows_buffers() {
    [ "$(timeout 10 "$ZELLIK_TEST_WINDOW" buffers "$1")" = "visual-depth=24 double=1 red=8 green=8 blue=8 alpha=8 \
depth=0 stencil=0 accum=0 samples=0" ] || fail "${2:-$1}: drawn with $("$ZELLIK_TEST_WINDOW" buffers "$1")"
}
size_of() { timeout 10 xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }

# The cursor is hidden full screen and back after; focus moving away ends it.
case_focus_and_cursor() {
    xdo mousemove 20 20
    [ "$(cursor)" = visible ] || fail "the cursor is hidden before the saver runs"
    "$ZELLIK_TEST_WINDOW" create 100x100 >"$WORK/other.id" &
    BACKGROUND_PIDS+=("$!")
    started_with_picture focus
    [ "$(cursor)" = hidden ] || fail "the cursor is visible full screen"
    xdo windowfocus "$(cat "$WORK/other.id")"
    ends_within "focus loss" 1
    [ "$(cursor)" = visible ] || fail "the cursor stays hidden after the saver"
}

# A trial window (300x200 asked, 1280x720 by default) ends by its close box or Escape only; --trace traces frames.
case_own_window() {
    local id
    start own --geometry 300x200 --trace
    id=$(window_named Zellik)
    [ "$(size_of "$id")" = 300x200 ] || fail "the window is not 300x200"
    expect_picture own kaleidoscope 300x200+0+0
    windows_buffers "$id" own
    xdo mousemove 50 50 click 1 key a
    stays "a click or a key in the trial window" 0.3
    timeout 10 "$ZELLIK_TEST_WINDOW" close "$id"
    quiet_end own 1
    [ "$(grep -c '^frame=[0-9]* t=' "$WORK/own.out")" -gt 5 ] || fail "too few frames traced"
    start escape --trace
    id=$(window_named Zellik)
    wait_until 100 grep -q '^frame=' "$WORK/escape.out"
    [ "$(size_of "$id")" = 1280x720 ] || fail "the default window is not 1280x720"
    xdo windowfocus --sync "$id" key Escape
    quiet_end escape 1
}

# A window someone else made (hex or decimal id, single-buffered through a child, $XSCREENSAVER_WINDOW,
# the root): drawn only there, no input ends it; SIGTERM, SIGINT or the window's end does, quietly, and
# TERM does while the X server is stopped.
case_given_window() {
    local how hex
    for how in "hex TERM create" "decimal KILL create" "single KILL create-single" "env INT create" "root TERM"; do
        set -- $how
        HOST_PID="" HOST_ID=""
        if [ -n "${3:-}" ]; then
            # A file per row: the helper empties its file only once it runs, and an earlier row's would
            # hand on the id of a window that is gone.
            "$ZELLIK_TEST_WINDOW" "$3" 320x240 >"$WORK/$1.id" &
            HOST_PID=$!
            BACKGROUND_PIDS+=("$HOST_PID")
            wait_until 50 test -s "$WORK/$1.id"
            HOST_ID=$(cat "$WORK/$1.id")
            hex=$(printf '0x%x' "$HOST_ID")
        fi
        case $1 in
        hex) start hex --window-id "$hex" ;;
        decimal | single) start "$1" -p "$HOST_ID" ;;
        env) XSCREENSAVER_WINDOW=$hex start env --root ;;
        root) start root -root ;;
        esac
        expect_picture "$1" kaleidoscope ${3:+320x240+0+0}
        windows_buffers "${HOST_ID:-$(xwininfo -root | awk '/Window id:/ {print $4}')}" "$1"
        [ -z "${3:-}" ] || { shot "$WORK/right.png" && "$ZELLIK_PICTURE" "$WORK/right.png" black 320x480+320+0 >/dev/null; } ||
            fail "$1: drew outside its window"
        [ "$1" != single ] || [ "$(timeout 10 xwininfo -children -id "$HOST_ID" | grep -c '^ *0x')" = 1 ] ||
            fail "single: no child window to draw double-buffered"
        xdo mousemove 100 100 click 1 key a
        stays "$1: input in a given window" 0.3
        if [ "$2" = KILL ]; then kill -KILL "$HOST_PID"; else kill "-$2" "$SAVER"; fi
        quiet_end "$1" 3 # the context's teardown may take a while on a loaded machine
        [ -z "$HOST_PID" ] || ! own "$HOST_PID" || kill -KILL "$HOST_PID" 2>/dev/null
    done
    stopped_server "$XVFB_PID"
}

# Whatever goes wrong is one line on stderr and a non-zero status (2 for a refused option, whose every
# message the option tests pin); an unstorable settings file stays whole. A Wayland display that does not
# answer leaves the X display to draw on unless --wayland asks for Wayland alone.
case_errors() {
    local line
    while IFS='|' read -r status pattern display args vars; do
        local got=0 d=${display:-$DISPLAY}
        [ "$d" != none ] || d=""
        DISPLAY=$d timeout 10 env $vars "$ZELLIK" $args >/dev/null 2>"$WORK/err" || got=$?
        [ "$got" = "$status" ] && [ "$(wc -l <"$WORK/err")" = 1 ] && grep -q -- "$pattern" "$WORK/err" ||
            fail "'$args': status $got, stderr: $(cat "$WORK/err")"
    done <<'EOF'
2|unknown option '--sparkle'||--sparkle
1|no X display (DISPLAY is not set)|none|--fullscreen
1|cannot open X display ':999'|:999|--root
1|zellik -c --mirrors|none|-c
1|no window 0x7ffff0||--window-id 0x7ffff0|WAYLAND_DISPLAY=wayland-0
1|compositor '/nonexistent/wayland': No such file||--wayland|WAYLAND_DISPLAY=/nonexistent/wayland
1|XSCREENSAVER_WINDOW='junk'||--root|XSCREENSAVER_WINDOW=junk
EOF
    xvfb_stop "$XVFB_PID"
    xvfb_start "$WORK" 320x240x24 -extension GLX
    line=$(WAYLAND_DISPLAY=/nonexistent/wayland timeout 10 "$ZELLIK" --fullscreen 2>&1)
    [[ $line == *"wayland': No such file"*"X display instead"$'\n'*"no GLX"* ]] || fail "a display without GLX: $line"
    # An unwritable folder, as an ordinary account (permissions do not stop root, who then cleans up).
    local nobody=()
    [ "$(id -u)" != 0 ] || nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    "${nobody[@]}" true || { note "SKIP: no ordinary account can run programs here"; return; }
    host_set UseMirrors 1
    cp "$INI" "$WORK/before.ini"
    cp "$ZELLIK" "$WORK/zellik" && chmod 755 "$WORK/zellik" "$XDG_CONFIG_HOME" && chmod 555 "${INI%/*}"
    chmod 644 "$INI"
    line=$(DISPLAY= "${nobody[@]}" "$WORK/zellik" -c --mirrors off 2>&1)
    [ $? = 1 ] && [[ $line == *"Permission denied"* ]] || fail "an unwritable store: $line"
    cmp -s "$WORK/before.ini" "$INI" && [ "$(ls "${INI%/*}")" = zellik.ini ] || fail "the old file changed"
}

# -c without a display names both stores; -c --mirrors and --idle-minutes store in place, keeping every other
# line; a bad value gets one warning; an idle time that is not a whole number from 0 to 720 is refused with 2,
# storing nothing.
case_settings_cli() {
    [[ $(DISPLAY= WAYLAND_DISPLAY= "$ZELLIK" -c 2>&1) == *"or 'zellik -c --idle-minutes N'" ]] || fail "-c without a display"
    DISPLAY= "$ZELLIK" -c --mirrors off || fail "the first store failed"
    [ "$(cat "$INI")" = $'[Software\\Quent\\Dunmere]\nUseMirrors=0' ] || fail "new file: $(cat "$INI")"
    [ "$(stat -c %a "${INI%/*}")" = 700 ] || fail "the settings folder is not private"
    printf '# top\n[Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\nMouse Threshold = lots\n' >"$INI"
    printf '[software\\quent\\dunmere]\nUseMirrors = 0 ; by hand\n[Other]\nKey=value\n' >>"$INI"
    sed 's/^UseMirrors = 0 ; by hand/UseMirrors = 1 ; by hand\nIdleMinutes=15/' "$INI" >"$WORK/idle.ini"
    DISPLAY= "$ZELLIK" -c --idle-minutes 15 --mirrors on 2>"$WORK/err" || fail "--idle-minutes with --mirrors"
    cmp -s "$INI" "$WORK/idle.ini" || fail "not stored in place, the idle time beside UseMirrors: $(cat "$INI")"
    [ "$(wc -l <"$WORK/err")" = 1 ] && grep -q '"Mouse Threshold"' "$WORK/err" || fail "warning: $(cat "$WORK/err")"
    for bad in 721 x; do
        DISPLAY= "$ZELLIK" -c --idle-minutes="$bad" --mirrors off 2>/dev/null
        [ $? = 2 ] && cmp -s "$INI" "$WORK/idle.ini" || fail "--idle-minutes=$bad was not refused"
    done
}

# The dialog: Space toggles "Use Mirrors", Alt+A reaches "Start after N minutes", Enter stores both; Escape
# and the close box store nothing. An idle time turned on or changed starts the watcher (zellik --idle, on this
# X display's idle time: it holds the session's lock, quietly); one left as it was or turned off does not, and
# 0 ends the one that runs.
case_config_dialog() {
    local keys action mirrors minutes watcher id lock=${XDG_RUNTIME_DIR:-}
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/no-bus && unset WAYLAND_DISPLAY
    [[ $lock == /* ]] && lock=$lock/zellik-idle-$DISPLAY.lock || lock=/tmp/zellik-idle-$(id -u)-$DISPLAY.lock
    watching() { ! flock -n "$lock" true; }
    while read -r keys action mirrors minutes watcher; do
        start dialog -c && id=$(window_named 'Config dialog')
        xdo windowfocus --sync "$id" && sleep 0.3 && xdo key ${keys//,/ } && sleep 0.2
        if [ "$action" = close ]; then timeout 10 "$ZELLIK_TEST_WINDOW" close "$id"; else xdo key "$action"; fi
        ends_within "$keys, $action" 5
        [ "$(cat "$INI" 2>/dev/null)" = $'[Software\\Quent\\Dunmere]\nUseMirrors='"$mirrors"$'\nIdleMinutes='"$minutes" ] ||
            { [ "$minutes" = - ] && [ ! -e "$INI" ]; } || fail "$keys, $action: stored $(cat "$INI" 2>/dev/null)"
        [ "$watcher" = yes ] && { wait_until 50 watching || fail "$keys: no watcher"; }
        [ "$minutes" != 0 ] || wait_until 50 eval '! watching' || fail "$keys: the watcher still runs at 0"
        { sleep 0.5 && [ ! -s "$WORK/dialog.err" ]; } || fail "$keys: $(cat "$WORK/dialog.err")"
    done <<'EOF'
space Escape - - no
space close - - no
space Return 0 0 no
alt+a,ctrl+a,7 Return 0 7 yes
alt+a,Up Return 0 8 yes
space Return 1 8 no
alt+a,ctrl+a,0 Return 1 0 no
alt+a,ctrl+a,9,9,9,9 Return 1 720 yes
EOF
    rm -f "$INI"
    dialog_preview 320x200
    # GNOME's note (its schema's own 5 minutes): on GNOME alone, and only while Zellik's time is not shorter.
    local other gnome shorter
    dialog_height XDG_CURRENT_DESKTOP=sway && other=$HEIGHT
    dialog_height XDG_CURRENT_DESKTOP=ubuntu:GNOME && gnome=$HEIGHT
    host_set IdleMinutes 4
    dialog_height XDG_CURRENT_DESKTOP=GNOME && shorter=$HEIGHT
    [ "$gnome" -gt "$other" ] && [ "$shorter" = "$other" ] ||
        fail "GNOME's note: dialog heights $other elsewhere, $gnome on GNOME, $shorter on GNOME with 4 minutes"
    # A watcher holding the session's lock: one line ("Starts after 4 minutes of idle") for what was the
    # session's word on its idle source (two lines where it offers none, none where it offers one).
    local alone held
    mkdir -m 700 "$WORK/run" && dialog_height XDG_RUNTIME_DIR="$WORK/run" && alone=$HEIGHT
    exec 9>"$WORK/run/zellik-idle-$DISPLAY.lock" && flock -x 9 # held by this shell's descriptor
    dialog_height XDG_RUNTIME_DIR="$WORK/run" && held=$HEIGHT
    exec 9>&-
    [ "$held" != "$alone" ] || fail "the dialog says nothing of a running watcher: height $held either way"
    # No OpenGL (glvnd finds no EGL vendor): the dialog opens with a one-line note for its preview (shorter by
    # most of the preview's 200 pixels), says why on stderr, and OK stores.
    rm -f "$INI"
    __EGL_VENDOR_LIBRARY_FILENAMES=$WORK/none.json start dialog -c && id=$(window_named 'Config dialog')
    wait_until 50 eval '[ "$(size_of "$id" | cut -dx -f2)" -lt $((other - 150)) ]' || fail "no GL: $(size_of "$id")"
    grep -q 'OpenGL context' "$WORK/dialog.err" || fail "no GL: stderr $(cat "$WORK/dialog.err")"
    xdo windowfocus --sync "$id" key space Return
    ends_within "no GL, OK" 5
    grep -qx UseMirrors=0 "$INI" || fail "no GL: OK stored $(cat "$INI")"
}
start_dialog() { start dialog -c && DIALOG=$(window_named 'Config dialog') && xdo windowfocus --sync "$DIALOG"; }
dialog_area() { timeout 10 xwininfo -id "$DIALOG" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}'; }
dialog_toggle() { xdo key space; } # the focus starts on "Use Mirrors"
dialog_cancel() { xdo key alt+c; }
dialog_height() { # VARIABLE=VALUE...: HEIGHT, the dialog's in that environment; Escape closes it
    env "$@" "$ZELLIK" -c >"$WORK/sized.out" 2>&1 &
    SAVER=$!
    DIALOG=$(window_named 'Config dialog') && HEIGHT=$(size_of "$DIALOG" | cut -dx -f2)
    xdo windowfocus --sync "$DIALOG" key Escape
    ends_within "$*, Escape" 5
}

# xscreensaver's daemon (run by an ordinary account: the caller's, or as root zellik-test) runs
# "GL: PROGRAM --root" (by default a copy of the saver) when activated, and ends it when deactivated.
case_xscreensaver() {
    command -v xscreensaver >/dev/null || skip "xscreensaver is not installed"
    local account=$(id -un) program=${1:-$WORK/zellik} switch=()
    [ "$account" != root ] || account=zellik-test switch=(setpriv --reuid=zellik-test --regid=zellik-test --init-groups)
    id "$account" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$account"
    "${switch[@]}" true || skip "an ordinary account cannot run programs here"
    HOME_OF_ACCOUNT=$(getent passwd "$account" | cut -d: -f6)
    as_account() { "${switch[@]}" env -i HOME="$HOME_OF_ACCOUNT" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }
    [ -n "${1:-}" ] || { cp "$ZELLIK" "$program" && chmod 755 "$program"; }
    [ ! -e "$HOME_OF_ACCOUNT/.xscreensaver" ] || mv "$HOME_OF_ACCOUNT/.xscreensaver" "$WORK/saved"
    at_exit 'rm -f "$HOME_OF_ACCOUNT/.xscreensaver"; [ ! -e "$WORK/saved" ] || mv "$WORK/saved" "$HOME_OF_ACCOUNT/.xscreensaver"'
    printf '%s\n' 'mode: one' 'selected: 0' 'timeout: 1:00:00' 'lock: False' 'splash: False' 'fade: False' \
        'unfade: False' 'dpmsEnabled: False' "programs: GL: $program --root \\n" >"$HOME_OF_ACCOUNT/.xscreensaver"
    chown "$account" "$HOME_OF_ACCOUNT/.xscreensaver"
    as_account xscreensaver -no-splash >"$WORK/daemon.log" 2>&1 &
    BACKGROUND_PIDS+=("$!") # setpriv and env exec: this is the daemon itself
    wait_until 100 as_account timeout 5 xscreensaver-command -version >/dev/null 2>&1
    as_account timeout 10 xscreensaver-command -activate >/dev/null 2>&1 || fail "activate: $(cat "$WORK/daemon.log")"
    local pattern="^([^ ]*/)?${program##*/} --root$"
    wait_until 100 pgrep -u "$account" -f "$pattern" >/dev/null && SAVER=$(pgrep -u "$account" -f "$pattern") ||
        fail "xscreensaver did not start $program: $(tail -n 5 "$WORK/daemon.log")"
    tr '\0' '\n' <"/proc/$SAVER/environ" | grep -q '^XSCREENSAVER_WINDOW=' || fail "no XSCREENSAVER_WINDOW"
    expect_picture xscreensaver kaleidoscope
    as_account timeout 10 xscreensaver-command -deactivate >/dev/null 2>&1 || fail "deactivate failed"
    wait_until 50 gone "$SAVER" || fail "zellik still runs after -deactivate"
}

# The .deb installed: zellik is on PATH, xscreensaver runs "zellik" by name; purged: none of its files stay (a
# remove keeps the autostart entry, a conffile).
case_deb() {
    local deb
    deb=$(ls "$ZELLIK_DIST"/zellik_*_amd64.deb 2>/dev/null) || skip "no package in $ZELLIK_DIST (scripts/package.sh)"
    need_root "dpkg -i"
    "${ROOT[@]}" dpkg -i "$deb" >"$WORK/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$WORK/dpkg.log")"
    at_exit '"${ROOT[@]}" dpkg -P zellik >/dev/null 2>&1'
    dpkg -L zellik | while read -r file; do [ ! -f "$file" ] || echo "$file"; done >"$WORK/files"
    [ "$(grep -c . "$WORK/files")" -ge 5 ] && grep -qx /usr/libexec/xscreensaver/zellik "$WORK/files" ||
        fail "installed: $(cat "$WORK/files")"
    [ "$(env -i PATH=/usr/bin:/bin sh -c 'command -v zellik')" = /usr/bin/zellik ] && [ "$(readlink /usr/bin/zellik)" = \
        ../libexec/xscreensaver/zellik ] && zellik --help | grep -q '^Usage: zellik' || fail "zellik is not on PATH as a link"
    case_xscreensaver zellik
    "${ROOT[@]}" dpkg -P zellik >/dev/null || fail "dpkg -P"
    while read -r file; do [ ! -e "$file" ] || fail "$file stays after dpkg -P"; done <"$WORK/files"
}

# Two monitors side by side (Xorg's dummy driver; Xvfb cannot) get a kaleidoscope each; one turned off takes
# only its own window, one turned on gets one. The one under the pointer turned off (the dummy driver then
# moves DUMMY1 to 0,0): the server moves the pointer, which is no input of the user's; the saver draws on. A
# larger monitor added at the origin of the smaller one left: the smaller stays on top with a whole
# kaleidoscope centred on it, the larger one's picture around it. A real move still ends it.
case_monitors() {
    local X Y
    xvfb_stop "$XVFB_PID"
    two_monitors
    started_with_picture left kaleidoscope 1280x720+0+0
    expect_picture right kaleidoscope 1024x768+1280+0
    local both=$(xdo search --name '^Zellik$') left
    xrandr --output DUMMY1 --off
    for _ in $(seq 50); do left=$(xdo search --name '^Zellik$') && [ "$(wc -l <<<"$left")" = 1 ] && break; sleep 0.1; done
    [ "$(wc -l <<<"$left")" = 1 ] && grep -qx "$left" <<<"$both" && [ "$(size_of "$left")" = 1280x720 ] ||
        fail "DUMMY1 off: windows $left, of $both"
    xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
    expect_picture again kaleidoscope 1024x768+1280+0
    xrandr --output DUMMY0 --off
    stays "DUMMY0 turned off under the pointer" 2
    expect_picture remaining kaleidoscope 1024x768+0+0
    xrandr --addmode DUMMY0 1280x1024 2>/dev/null
    xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 || fail "xrandr: DUMMY0 1280x1024 at 0,0"
    wait_until 50 windows 2 || fail "no window for DUMMY0"
    expect_picture on-top kaleidoscope 1024x768+0+0
    stays "a monitor that came" 0.5
    eval "$(xdo getmouselocation --shell)"
    pointer $((X < 512 ? X + 300 : X - 300)) "$Y"
    ends_within "a move on the remaining monitor" 1
}

# SIGSTOP and SIGCONT, as MATE's and Xfce's savers pause theirs: the clock carries on where it stood
# (no jump of the pause's length) and it draws on; a key pressed while it is stopped ends it once it runs.
case_stop_continue() {
    local lines before after
    traced() { grep -c '^frame=[0-9]* t=.* cell=' "$WORK/paused.out"; } # whole lines only
    traced_over() { [ "$(traced)" -gt "$1" ]; }
    time_of() { awk -v n="$1" '/^frame=/ && ++i == n { sub("t=", "", $2); print $2 }' "$WORK/paused.out"; }
    pointer "$CX" "$CY" && start paused --fullscreen --trace
    expect_picture paused kaleidoscope
    kill -STOP "$SAVER" && sleep 0.2 && lines=$(traced) && before=$(time_of "$lines") && sleep 2
    [ "$(traced)" = "$lines" ] && kill -CONT "$SAVER" || fail "it drew while stopped"
    wait_until 50 traced_over $((lines + 5)) && after=$(time_of $((lines + 1))) || fail "no frames after SIGCONT"
    awk -v a="$after" -v b="$before" 'BEGIN { exit !(a - b >= 0 && a - b < 0.5) }' ||
        fail "the clock went from $before to $after over a 2 s pause"
    kill -STOP "$SAVER" && key && kill -CONT "$SAVER"
    quiet_end paused 1
}

# A stop signal ends the saver with 0 from its first instructions on. TERM 5 ms after the start, ten times,
# while the X server is stopped and the start-up waits on it; the saver starts with TERM blocked, so that a
# signal sent before it runs at all (a loaded machine) is held for it rather than taken by the default
# action. The Wayland host that finds no compositor and the X11 host it falls back to share one set of
# handlers: one grace timer, one wake pipe.
case_early_term() {
    local i n status hold pipes
    exec {hold}<> <(:) # read -t on it: a sleep without starting a program
    at_exit "kill -CONT $XVFB_PID"
    kill -STOP "$XVFB_PID"
    for i in $(seq 10); do
        (exec perl -e 'use POSIX; sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGTERM)); exec @ARGV' \
            "$ZELLIK" --fullscreen) &
        SAVER=$!
        for ((n = 0; n < 100000; n++)); do [ "/proc/$SAVER/exe" -ef "$ZELLIK" ] && break; done
        read -rt 0.005 -u "$hold"
        kill -TERM "$SAVER"
        status=0
        wait_until 30 gone "$SAVER" || fail "TERM 5 ms after the start, run $i: still running after 3 s"
        wait "$SAVER" || status=$?
        [ "$status" = 0 ] || fail "TERM 5 ms after the start, run $i: status $status"
    done
    kill -CONT "$XVFB_PID"
    pipes() { find "/proc/$SAVER/fd" -lname 'pipe:*' | wc -l; }
    start x11 --fullscreen
    expect_picture x11 kaleidoscope
    read -r pipes < <(pipes)
    kill -TERM "$SAVER"
    quiet_end x11 3
    WAYLAND_DISPLAY=/nonexistent/wayland start fallback --fullscreen
    expect_picture fallback kaleidoscope
    [ "$(grep -c '^ID:' "/proc/$SAVER/timers")" = 1 ] && [ "$(pipes)" = "$pipes" ] ||
        fail "after the fallback to X11: $(grep -c '^ID:' "/proc/$SAVER/timers") timers, $(pipes) pipes, not 1 and $pipes"
    kill -TERM "$SAVER"
    ends_within "TERM after the fallback" 3
}
