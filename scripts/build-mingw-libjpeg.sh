#!/usr/bin/env bash
# Cross-builds libjpeg-turbo for x86_64-w64-mingw32 from Debian's own source
# package and installs it, static only, under the build tree:
#
#   build/mingw-libjpeg/prefix/{include,lib/libjpeg.a}
#
# Debian ships no mingw libjpeg, so the saver's Windows build needs this once
# per machine. Nothing of the library's source is kept in the repository: the
# source package is fetched with apt-get source through a private apt
# configuration (its own deb-src list, lists and caches under the build tree),
# so the system's apt set-up is never touched.
#
# Usage: scripts/build-mingw-libjpeg.sh [DIR]   (default: <repo>/build/mingw-libjpeg)
# Idempotent and quiet: when the library is already there it does nothing.
# The same source gives the same bytes in any tree at any time: NASM would
# stamp each SIMD object with the time of its build but for --reproducible
# (the C objects carry no time or path).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
root=${1:-$repo/build/mingw-libjpeg}
prefix=$root/prefix

# The same upstream version as the native libjpeg the Linux build links, so
# that both systems decode the images with the same code.
version=$(dpkg-query -W -f='${source:Version}' libjpeg62-turbo-dev 2>/dev/null || true)
stamp=$prefix/.built-from
built="libjpeg-turbo ${version:-any}, reproducible"
if [ -f "$stamp" ] && [ -f "$prefix/lib/libjpeg.a" ] && [ "$(cat "$stamp")" = "$built" ]; then
  exit 0
fi

log=$root/build.log
mkdir -p "$root"
: >"$log"
fail() {
  echo "build-mingw-libjpeg: $1 (log: $log)" >&2
  tail -20 "$log" >&2 || true
  exit 1
}

for tool in apt-get dpkg-source x86_64-w64-mingw32-gcc nasm cmake; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh windows"
done

# A private apt configuration: only Debian's deb-src entry for the system's
# suite, with lists and caches of its own.
apt_dir=$root/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
mirror=http://deb.debian.org/debian
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  [ -n "$uri" ] && mirror=$uri
fi
cat >"$apt_dir/sources.list.d/debian-src.sources" <<EOF
Types: deb-src
URIs: $mirror
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt_opts=(
  -o "Dir::Etc::SourceList=/dev/null"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
  -o "Acquire::Retries=3" -o "APT::Sandbox::User=root"
  -qq)

src=$root/source
rm -rf "$src"
mkdir -p "$src"
apt-get "${apt_opts[@]}" update >>"$log" 2>&1 || fail "apt-get update of the deb-src list failed"
want=libjpeg-turbo
[ -n "$version" ] && want="libjpeg-turbo=$version"
(cd "$src" && apt-get "${apt_opts[@]}" source "$want" >>"$log" 2>&1) ||
  (cd "$src" && apt-get "${apt_opts[@]}" source libjpeg-turbo >>"$log" 2>&1) ||
  fail "apt-get source libjpeg-turbo failed"
tree=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
[ -n "$tree" ] || fail "no unpacked libjpeg-turbo tree in $src"

# A toolchain file of its own: the library's build knows nothing of ours.
toolchain=$root/toolchain.cmake
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
EOF

build=$root/build
rm -rf "$build" "$prefix"
cmake -S "$tree" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF -DREQUIRE_SIMD=ON \
  -DCMAKE_ASM_NASM_FLAGS=--reproducible >>"$log" 2>&1 || fail "configure failed"
cmake --build "$build" --target jpeg-static -j "$(nproc)" >>"$log" 2>&1 || fail "build failed"

mkdir -p "$prefix/lib" "$prefix/include"
cp "$build/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$build/jconfig.h" "$tree/jerror.h" "$tree/jmorecfg.h" "$tree/jpeglib.h" "$prefix/include/"
grep -q '#define JPEG_LIB_VERSION  *62' "$prefix/include/jconfig.h" || fail "not the version 62 interface"
echo "$built" >"$stamp"
# The unpacked source and the object files are only needed once.
rm -rf "$src" "$build" "$apt_dir"
