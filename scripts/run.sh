#!/usr/bin/env bash
# Installs what Zellik needs, builds it and shows it: the live saver in a
# window where there is a display (Wayland or X11), otherwise the preview
# pictures rendered headless into build/preview/ (docs/ keeps the committed ones).
set -euo pipefail
source "$(dirname "$0")/common.sh"

# shellcheck disable=SC2046 # one word per list
bash scripts/install-deps.sh $(preset_lists linux)
build_preset linux

saver=build/linux/host/linux/zellik
# A Wayland desktop without Xwayland has WAYLAND_DISPLAY alone.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$saver" ]; then
  echo "== running $saver (close the window to stop)"
  exec "$saver" "$@"
fi
echo "== no display: rendering the preview headless"
bash scripts/make-preview.sh build/linux build/preview
