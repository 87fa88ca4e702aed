#!/usr/bin/env bash
# planted-faults.sh [NAME...]: plants each visible fault of the table below, one at a time, in a copy of
# this tree, rebuilds what draws and judges pictures, and runs the render label. A fault is caught when
# the label fails. Prints caught / missed / could not plant per fault, the judge's worst measure over the
# reference pictures (its own units: a frame passes at 1.00 or below), and a total.
# A fault whose line is not found (the drawing code moved on) is "could not plant", never counted caught.
# Each fault's frames are kept in WORK/frames/NAME/.
# ZELLIK_FAULTS_WORK: the scratch directory (default /tmp/zellik-faults); GALLIUM_DRIVER as for any run.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# name | file | sed -E substitutions, apart by " ~~ " (each must change the file) | what a viewer sees
faults=$(
  cat <<'EOF'
wedge-cut|scene/kaleidoscope_scene.cpp|s/glEnable\(GL_CLIP_PLANE1\);/;/|the wedge's second edge is not cut: tiles spill over it
wedge-count|scene/kaleidoscope_scene.cpp|s#360\.0 / \(10 \+ 2 \* k\)#360.0 / (12 + 2 * k)#|two wedges more than chosen
end-plane|scene/mirror_wedge.cpp|s/wedge.endPlane\[0\] = portableCos\(phi\);/wedge.endPlane[0] = -portableCos(phi);/|the wedge's end cut at another angle
mirror|scene/kaleidoscope_scene.cpp|s/glScalef\(-1\.0f, 1\.0f, 1\.0f\);/glScalef(1.0f, -1.0f, 1.0f);/|the copy reflected in the wrong mirror line
mirror-face|scene/kaleidoscope_scene.cpp|s/glFrontFace\(GL_CW\);/glFrontFace(GL_CCW);/|the reflected copies culled: every other wedge black
turn|tiles/tile_sprite.cpp|s/glRotatef\(-rotation,/glRotatef(rotation,/|the tiles turn the other way
tint|tiles/tile_sprite.cpp|s/glColor4f\(red, green, blue, alpha\);/glColor4f(green, red, blue, alpha);/|tinted tiles in another colour
tint-off|tiles/tile_sprite.cpp|s/if \(tinted\)/if (false)/|no tile is tinted
shape|tiles/tile_sprite.cpp|s/kCellPixels \* \(cell % 2\);/kCellPixels * ((cell + 1) % 2);/|another atlas cell: another shape
texture-flip|tiles/tile_sprite.cpp|s/glTexCoord2f\(texLeft, /glTexCoord2f(LEFT, /g ~~ s/glTexCoord2f\(texLeft \+ texWidth, /glTexCoord2f(texLeft, /g ~~ s/glTexCoord2f\(LEFT, /glTexCoord2f(texLeft + texWidth, /g|the tiles' texture mirrored
texture-scale|tiles/tile_sprite.cpp|s#texWidth = static_cast<float>\(static_cast<double>\(kCellPixels\) / atlas.width\);#texWidth = static_cast<float>(static_cast<double>(kCellPixels) / 2 / atlas.width);#|half the cell stretched over the tile
wrap|tiles/tile_sprite.cpp|s#kCellPixels \* \(cell / 2\);#kCellPixels * (cell / 2) + kCellPixels / 2;#|the cell half a cell down, wrapping round the atlas
blend-add|tiles/tile_layer.cpp|0,/glBlendFunc\(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA\);/s//glBlendFunc(GL_SRC_ALPHA, GL_ONE);/|tiles added, not laid over one another
blend-off|tiles/tile_layer.cpp|0,/    glEnable\(GL_BLEND\);/s//    glDisable(GL_BLEND);/|tiles opaque: their black corners hide what lies beneath
replace|tiles/tile_layer.cpp|s/glTexEnvf\(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>\(GL_MODULATE\)\);/glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_REPLACE));/|the texture replaces the tile's colour and opacity
opacity|tiles/tile_sprite.cpp|s#alpha = static_cast<float>\(\(layer.draw\(\) \+ 1.0\) / 2.0\);#alpha = static_cast<float>((layer.draw() + 1.0) / 3.0);#|tiles fainter
drift-zoom|tiles/tile_layer.cpp|s/zoom = static_cast<float>\(zoomFrom \+ s \* zoomShift\);/zoom = static_cast<float>(zoomFrom + zoomShift);/|the zoom jumps to its end instead of easing
drift-spin|tiles/tile_layer.cpp|s/spin = static_cast<float>\(spinFrom \+ s \* spinShift\);/spin = static_cast<float>(spinFrom);/|the spin does not drift
travel|tiles/tile_sprite.cpp|s/\(3\.0 \* phase - 1\.0\)/(2.0 * phase - 1.0)/|the tiles travel more slowly across the wedge
tile-size|tiles/tile_sprite.cpp|s/scale = static_cast<float>\(layer.zoom \+ 0\.25\);/scale = static_cast<float>(layer.zoom + 0.5);/|tiles in step larger
depth|tiles/tile_sprite.cpp|s/z = static_cast<float>\(2\.0 \* layer.draw\(\)\);/z = static_cast<float>(1.0 * layer.draw());/|tiles farther away, smaller
logo-place|tiles/tile_layer.cpp|s/glTranslatef\(5\.0f, -5\.0f, 0\.0f\);/glTranslatef(5.0f, 5.0f, 0.0f);/|the logo at the top right
logo-colour|tiles/tile_layer.cpp|s/glColor4f\(k, k, 1\.0f - k, 0\.1f\);/glColor4f(1.0f - k, k, k, 0.1f);/|the logo in other colours
logo-flip|tiles/tile_layer.cpp|s/glTexCoord2f\(0\.0f, 1\.0f\);/glTexCoord2f(0.0f, 2.0f);/ ~~ s/glTexCoord2f\(1\.0f, 1\.0f\);/glTexCoord2f(1.0f, 2.0f);/ ~~ s/glTexCoord2f\(([01])\.0f, 0\.0f\);/glTexCoord2f(\1.0f, 1.0f);/ ~~ s/glTexCoord2f\(([01])\.0f, 2\.0f\);/glTexCoord2f(\1.0f, 0.0f);/|the logo upside down
camera-distance|scene/kaleidoscope_scene.cpp|s/gluLookAt\(0\.0, 0\.0, 5\.5,/gluLookAt(0.0, 0.0, 6.0,/|the camera farther away
camera-field|scene/kaleidoscope_scene.cpp|s/gluPerspective\(90\.0,/gluPerspective(80.0,/|a narrower field of view
camera-aspect|scene/kaleidoscope_scene.cpp|s/static_cast<double>\(width\) \/ height : 1\.0;/1.0 : 1.0;/|the picture squashed
glide|scene/kaleidoscope_scene.cpp|s/transition.duration = 2\.0f;/transition.duration = 3.0f;/|a wedge change glides more slowly
filter|tiles/mask_texture.cpp|s/static_cast<GLfloat>\(GL_LINEAR_MIPMAP_LINEAR\)/static_cast<GLfloat>(GL_NEAREST)/|no mipmaps: tiles sparkle
EOF
)

work=${ZELLIK_FAULTS_WORK:-/tmp/zellik-faults}
src=$work/src
build=$src/build/linux
mkdir -p "$src"
# A copy of the tree as it stands (committed or not), without its builds.
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./dist -cf - . | tar -C "$src" -xf -
echo "== building the unchanged copy in $src"
quietly cmake --preset linux -S "$src" >/dev/null
targets="zellik-render zellik-picture zellik_picture_tests"
rebuild() { quietly cmake --build "$build" -j2 --target $targets </dev/null; }
rebuild
# The judge's worst measure over the reference frames just drawn.
worst() {
  local name measure top=0
  for name in $(awk '/^[a-z]/ { print $1 }' "$src/tests/render/references/frames.txt"); do
    [ -f "$build/tests/pictures/$name.png" ] || continue
    measure=$("$build/zellik-picture" "$build/tests/pictures/$name.png" --like \
      "$src/tests/render/references/$name.png" /dev/null 2>/dev/null |
      awk '/^measure / { print $2; exit } / pixels of .* at most / { printf "%.2f\n", $1 / 40; exit }' || true)
    top=$(awk -v a="$top" -v b="${measure:-0}" 'BEGIN { print (b > a ? b : a) }')
  done
  echo "$top"
}
render_label() { ctest --test-dir "$build" -L render -E render_command_line </dev/null >"$work/ctest.log" 2>&1; }
render_label || { cat "$work/ctest.log"; echo "the unchanged tree fails its render label" >&2; exit 1; }
echo "unchanged: passes, worst measure $(worst)"

caught=0 missed=0 unplanted=0
while IFS='|' read -r name file script what; do
  [ $# -eq 0 ] || [[ " $* " == *" $name "* ]] || continue
  cp "$root/$file" "$src/$file"
  planted=yes
  # Each substitution of the script on its own must change the file: a moved anchor is reported.
  while read -r part; do
    before=$(sha256sum <"$src/$file")
    sed -E -i "$part" "$src/$file" 2>/dev/null || planted=no
    [ "$(sha256sum <"$src/$file")" != "$before" ] || planted=no
  done < <(sed 's/ ~~ /\n/g' <<<"$script")
  if [ $planted = no ] || ! rebuild; then
    printf '%-16s could not plant  (%s)\n' "$name" "$file"
    unplanted=$((unplanted + 1))
  elif render_label; then
    printf '%-16s MISSED  worst %-8s %s\n' "$name" "$(worst)" "$what"
    missed=$((missed + 1))
  else
    failed=$(grep -cE '^[[:space:]]*[0-9]+ - .*\((Failed|Not Run)' "$work/ctest.log" || true)
    printf '%-16s caught  worst %-8s %s (%s tests fail)\n' "$name" "$(worst)" "$what" "$failed"
    caught=$((caught + 1))
  fi
  mkdir -p "$work/frames/$name" && cp "$build"/tests/pictures/*.png "$work/frames/$name/" 2>/dev/null || true
  cp "$root/$file" "$src/$file"
done <<<"$faults"
rebuild
echo "total: $caught caught, $missed missed, $unplanted could not plant"
[ $missed -eq 0 ] && [ $unplanted -eq 0 ]
