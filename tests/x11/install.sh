#!/usr/bin/env bash
# cmake --install into a staging prefix puts the saver where xscreensaver
# looks: the program, its settings description, the manual page, the menu entry.
# Usage: install.sh BUILD_DIR
BUILD=$1
ZELLIK=unused
. "$(dirname "$0")/lib.sh"
STAGE="$WORK/stage"
timeout 60 cmake --install "$BUILD" --prefix "$STAGE" >"$WORK/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$WORK/install.log")"
for file in libexec/xscreensaver/zellik share/xscreensaver/config/zellik.xml share/man/man6/zellik.6 \
    share/applications/zellik.desktop; do
    [ -f "$STAGE/$file" ] || fail "missing $file; installed: $(cd "$STAGE" && find . -type f)"
done
[ -x "$STAGE/libexec/xscreensaver/zellik" ] || fail "the program is not executable"
"$STAGE/libexec/xscreensaver/zellik" --help | grep -q -- '--root' || fail "the installed program does not run"
grep -q 'gl="yes"' "$STAGE/share/xscreensaver/config/zellik.xml" || fail "zellik.xml: not a GL saver"
# The menu entry names the prefix the build was configured for, not the stage.
grep -q '^Exec=/.*/libexec/xscreensaver/zellik$' "$STAGE/share/applications/zellik.desktop" ||
    fail "zellik.desktop: $(grep Exec= "$STAGE/share/applications/zellik.desktop")"
if command -v xmllint >/dev/null; then
    xmllint --noout "$STAGE/share/xscreensaver/config/zellik.xml" || fail "zellik.xml is not well-formed"
fi
if command -v man >/dev/null; then
    MANWIDTH=80 man -l "$STAGE/share/man/man6/zellik.6" 2>"$WORK/man.err" | grep -q 'GL: zellik --root' ||
        fail "the manual page does not render: $(cat "$WORK/man.err")"
    [ ! -s "$WORK/man.err" ] || fail "man warnings: $(cat "$WORK/man.err")"
fi
note "installed: $(cd "$STAGE" && find . -type f | sort | tr '\n' ' ')"
echo PASS
