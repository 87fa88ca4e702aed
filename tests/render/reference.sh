#!/usr/bin/env bash
# reference.sh NAME FRAME COMMAND...: draws the reference frame NAME with COMMAND (zellik-render, or
# zellik-trace.exe under Wine, whose PPM becomes a PNG) into FRAME and compares it with
# references/NAME.png; on a mismatch the picture tool writes FRAME's difference picture beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=$1 frame=$2
shift 2
if [ ! -x "${ZELLIK_PICTURE:-}" ]; then
  echo "reference: no zellik-picture of a Linux build to compare with (build the linux preset)"
  exit 77
fi
read -r size seed frames mirrors < <(awk -v n="$name" '$1 == n { print $2, $3, $4, $5 }' "$here/references/frames.txt")
mkdir -p "$(dirname "$frame")"
rm -f "$frame"
"$@" --size "$size" --seed "$seed" --frames "$frames" --mirrors "$mirrors" --out "$frame"
case "$frame" in *.ppm) convert "$frame" "${frame%.ppm}.png" && frame=${frame%.ppm}.png ;; esac
exec "$ZELLIK_PICTURE" "$frame" --like "$here/references/$name.png" "${frame%.*}-difference.png"
