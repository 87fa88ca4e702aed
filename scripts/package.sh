#!/usr/bin/env bash
# Builds what a release ships into dist/:
#   zellik_VERSION_amd64.deb          the Linux saver, for X11 and Wayland
#   zellik-VERSION-setup.exe          the Windows installer (NSIS)
#   zellik-VERSION-windows-x64.zip    zellik.scr, README.txt and LICENSE.txt
#   SHA256SUMS                        over the three
# One commit gives the same bytes every time: every time stamp is
# SOURCE_DATE_EPOCH (by default the last commit's time), no build path or
# link time gets into a binary, and archive members are sorted, with that
# time. scripts/check-reproducible.sh holds it to that.
# Usage: scripts/package.sh [DIST_DIR]   (default dist; a relative path is taken from the repository)
# ZELLIK_MINGW_JPEG_PREFIX: a cross-built libjpeg to use (default: build/mingw-libjpeg/prefix, made when missing).
# ZELLIK_LINTIAN=0 skips the lintian check of the .deb.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# shellcheck disable=SC2046 # one word per list
bash scripts/install-deps.sh $(preset_lists release-linux) $(preset_lists release-windows) release
mkdir -p "${1:-dist}"
dist=$(cd "${1:-dist}" && pwd)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "package: no git history here; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022

jpeg=${ZELLIK_MINGW_JPEG_PREFIX:-$root/build/mingw-libjpeg/prefix}
quietly bash scripts/build-mingw-libjpeg.sh "$(dirname "$jpeg")"

# Debian's hardening flags for the Linux saver, as a Debian build would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" build_preset release-linux --fresh
build_preset release-windows --fresh -DZELLIK_MINGW_JPEG_PREFIX="$jpeg"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release-linux/CMakeCache.txt)
if [ "$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)" != "$version" ] ||
  ! grep -q "^## $version " CHANGELOG.md; then
  echo "package: packaging/debian/changelog and CHANGELOG.md must open with version $version" >&2
  exit 1
fi
deb=zellik_${version}_amd64.deb
setup=zellik-$version-setup.exe
zip=zellik-$version-windows-x64.zip
rm -f "$dist/$deb" "$dist/$setup" "$dist/$zip" "$dist/SHA256SUMS"
work=$root/build/package
rm -rf "$work"

echo "== packaging $deb"
# The layout dpkg's tools expect: debian/control beside the package's tree.
tree=$work/debian/zellik
mkdir -p "$work/debian" "$tree/DEBIAN"
cp packaging/debian/control packaging/debian/changelog "$work/debian/"
DESTDIR=$tree quietly cmake --install build/release-linux
# Stripped as Debian's own packages are, with a list of checksums.
strip --remove-section=.comment --remove-section=.note "$tree/usr/libexec/xscreensaver/zellik"
gzip -9n "$tree/usr/share/man/man6/zellik.6"
install -D -m 644 packaging/debian/copyright "$tree/usr/share/doc/zellik/copyright"
install -D -m 644 packaging/debian/zellik.lintian-overrides "$tree/usr/share/lintian/overrides/zellik"
gzip -9n <packaging/debian/changelog >"$tree/usr/share/doc/zellik/changelog.gz"
(cd "$tree" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
# What is under /etc (the autostart entry) is the administrator's to edit: a
# conffile, which dpkg keeps on remove and deletes on purge.
(cd "$tree" && find etc -type f | LC_ALL=C sort | sed 's|^|/|' >DEBIAN/conffiles)
(cd "$work" &&
  quietly dpkg-shlibdeps -Tdebian/zellik.substvars debian/zellik/usr/libexec/xscreensaver/zellik &&
  quietly dpkg-gencontrol -pzellik -Pdebian/zellik -Tdebian/zellik.substvars -fdebian/files)
# One package for Debian and Ubuntu: no dependency on one distribution's libjpeg.
if grep -i '^shlibs:Depends=.*libjpeg' "$work/debian/zellik.substvars"; then
  echo "package: the saver depends on a shared libjpeg; it must be linked in" >&2
  exit 1
fi
# dpkg-deb sorts the members and only clamps their times: a file configured
# before the last commit would keep its own, so every time is set.
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
quietly dpkg-deb --root-owner-group -Zxz --build "$tree" "$dist/$deb"
if [ "${ZELLIK_LINTIAN:-1}" != 0 ]; then
  lintian --fail-on error --display-info "$dist/$deb" >"$work/lintian.txt" 2>&1 ||
    { cat "$work/lintian.txt" >&2; echo "package: lintian found errors" >&2; exit 1; }
  grep -v '^running with root privileges' "$work/lintian.txt" || true
fi

echo "== packaging $setup and $zip"
files=$work/windows
mkdir -p "$files"
cp build/release-windows/zellik.scr "$files/zellik.scr"
sed 's/$/\r/' LICENSE >"$files/LICENSE.txt"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/zip/README.txt >"$files/README.txt"
chmod 644 "$files"/*
touch -d "@$SOURCE_DATE_EPOCH" "$files"/*
quietly makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSCR="$files/zellik.scr" \
  -DLICENSE="$files/LICENSE.txt" -DICON="$root/resources/zellik.ico" -DOUTFILE="$dist/$setup" \
  packaging/nsis/zellik.nsi
# -X: no owner or extra time fields; the names in a fixed order.
(cd "$files" && zip -q -X -D -9 "$dist/$zip" LICENSE.txt README.txt zellik.scr)

(cd "$dist" && sha256sum "$deb" "$setup" "$zip" >SHA256SUMS)
echo "== dist: $dist"
(cd "$dist" && ls -l "$deb" "$setup" "$zip" SHA256SUMS | awk '{printf "%10d  %s\n", $5, $9}')
