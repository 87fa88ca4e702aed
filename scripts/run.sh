#!/usr/bin/env bash
# Installs what Zellik needs, builds it and shows it: the live saver in a
# window where there is a display, otherwise the preview pictures rendered
# headless into docs/.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash scripts/install-deps.sh linux
build_preset linux

saver=build/linux/host/linux/zellik
if [ -n "${DISPLAY:-}" ] && [ -x "$saver" ]; then
  echo "== running $saver (close the window to stop)"
  exec "$saver" "$@"
fi
bash scripts/make-preview.sh build/linux
