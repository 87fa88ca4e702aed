#!/usr/bin/env bash
# The settings file through the program, without a display: -c --mirrors
# stores the value and keeps every other line; a malformed value is named in
# one warning and its default is used.
# Usage: settings_cli.sh ZELLIK
ZELLIK=$1
. "$(dirname "$0")/lib.sh"
unset DISPLAY
INI="$XDG_CONFIG_HOME/zellik/zellik.ini"

"$ZELLIK" -c --mirrors off 2>"$WORK/err" || fail "first store failed: $(cat "$WORK/err")"
[ "$(cat "$INI")" = $'[Software\\Quent\\Dunmere]\nUseMirrors=0' ] || fail "new file: $(cat "$INI")"
[ "$(stat -c %a "$XDG_CONFIG_HOME/zellik")" = 700 ] || fail "the directory is not private"

cat >"$INI" <<'INI'
# comment at the top
[Software\Microsoft\Windows\CurrentVersion\Screen Savers]
Password Delay = 30 ; seconds
Mouse Threshold = lots

[software\quent\dunmere]
UseMirrors = 0 ; stored by hand

[Other]
Key=value
INI
"$ZELLIK" -c --mirrors on 2>"$WORK/err" || fail "store failed"
[ "$(wc -l <"$WORK/err")" = 1 ] || fail "expected one warning: $(cat "$WORK/err")"
grep -q '"Mouse Threshold"' "$WORK/err" || fail "the warning does not name the value: $(cat "$WORK/err")"
grep -qx 'UseMirrors = 1 ; stored by hand' "$INI" || fail "value not replaced in place: $(cat "$INI")"
grep -qx '# comment at the top' "$INI" && grep -qx 'Key=value' "$INI" && grep -qx 'Mouse Threshold = lots' "$INI" ||
    fail "other lines lost: $(cat "$INI")"
[ "$(grep -c . "$INI")" = 8 ] || fail "lines added or lost: $(cat "$INI")"
note "warning: $(cat "$WORK/err")"

"$ZELLIK" -c --no-mirrors 2>/dev/null && grep -qx 'UseMirrors = 0 ; stored by hand' "$INI" || fail "--no-mirrors"
status=0
"$ZELLIK" -c --mirrors sideways 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "--mirrors sideways: status $status"
echo PASS
