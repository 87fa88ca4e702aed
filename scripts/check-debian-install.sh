#!/usr/bin/env bash
# Installs the release's .deb in brand-new Debian 12 and Debian 13 roots (debootstrap's minbase),
# as a user would, and checks there that:
#   apt-get install ./zellik_VERSION_amd64.deb finds every dependency in that release's archive
#     (a dependency met through another package's Provides, such as a 64-bit-time rename, is shown);
#   ldd finds every library the installed saver needs;
#   the installed saver, run full screen by an ordinary account under xvfb-run (X11, one monitor),
#     draws a lit, mirror-symmetric kaleidoscope (judged by the tests' zellik-picture);
#   the desktop entries are where MATE's and Xfce's savers, the menus and the sessions' autostart look,
#     each naming the installed program;
#   zellik is on PATH, and the README's lines that need no display run as written for an ordinary account
#     (--help, -c --mirrors off, -c --idle-minutes N storing, --idle leaving at once with the time 0);
#   apt-get remove zellik leaves only its conffile (the autostart entry, inert without the program it
#     tries), and apt-get purge none of its files; dpkg forgets it.
# Each release's base root is made once and kept in build/debian-roots as a tarball, beside the
# packages apt downloaded, so a later run only unpacks and installs.
# Usage: scripts/check-debian-install.sh [DEB [SUITE...]]   (default: dist/zellik_*_amd64.deb,
# bookworm trixie). Needs root, debootstrap, the network and build/linux/zellik-picture
# (cmake --build --preset linux; or ZELLIK_PICTURE); without root or debootstrap it is skipped.
set -euo pipefail
source "$(dirname "$0")/common.sh"

deb=$(realpath "${1:-$(ls dist/zellik_*_amd64.deb 2>/dev/null | tail -n1)}" 2>/dev/null) ||
  { echo "check-debian-install: no package; run scripts/package.sh" >&2; exit 1; }
suites=("${@:2}")
[ ${#suites[@]} -gt 0 ] || suites=(bookworm trixie)
if [ "$(id -u)" != 0 ] || ! command -v debootstrap >/dev/null; then
  echo "check-debian-install: skipped: it needs root and debootstrap (apt-get install debootstrap)"
  exit 0
fi
picture=${ZELLIK_PICTURE:-$root/build/linux/zellik-picture}
[ -x "$picture" ] || { echo "check-debian-install: no $picture; build the linux preset" >&2; exit 1; }
mirror=${ZELLIK_DEBIAN_MIRROR:-$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)}
mirror=${mirror:-http://deb.debian.org/debian}
cache=$root/build/debian-roots
mkdir -p "$cache"
saver=/usr/libexec/xscreensaver/zellik
tree="" mounts=()
finish() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null || true; done
  mounts=()
  [ -z "$tree" ] || rm -rf --one-file-system "$tree"
  tree=""
}
trap finish EXIT
fail() {
  echo "check-debian-install: $suite: $1" >&2
  [ -z "${2:-}" ] || tail -n 15 "$2" >&2
  exit 1
}
in_root() { # SCRIPT ARGS...: runs SCRIPT with bash in the root, as root, with a clean environment
  chroot "$tree" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 HOME=/root \
    DEBIAN_FRONTEND=noninteractive /bin/bash -c "$@"
}

step() { echo "== $suite, $(($(date +%s) - started)) s: $1"; }
check_suite() {
  local base=$cache/$suite-minbase.tar log=$cache/$suite.log started shot name pid status=0
  started=$(date +%s)
  if [ ! -f "$base" ]; then
    step "making the base root with debootstrap (once)"
    local staging
    staging=$(mktemp -d "$cache/staging.XXXXXX")
    debootstrap --variant=minbase "$suite" "$staging" "$mirror" >"$log" 2>&1 ||
      { rm -rf "$staging"; fail "debootstrap failed" "$log"; }
    tar -C "$staging" -cf "$base.part" . && mv "$base.part" "$base"
    rm -rf "$staging"
  fi
  tree=$(mktemp -d "${TMPDIR:-/tmp}/zellik-$suite.XXXXXX")
  # In memory (about 0.7 GB), when it can be: unpacking, installing and removing it go faster there.
  ! mount -t tmpfs -o size=3G,mode=755 tmpfs "$tree" || mounts+=("$tree")
  tar -C "$tree" -xf "$base"
  chmod 755 "$tree"
  cp /etc/resolv.conf "$tree/etc/resolv.conf"
  echo force-unsafe-io >"$tree/etc/dpkg/dpkg.cfg.d/unsafe-io" # a root thrown away: no syncs
  mkdir -p "$cache/$suite-archives"
  mount -t proc proc "$tree/proc" && mounts+=("$tree/proc")
  mount --bind /dev "$tree/dev" && mounts+=("$tree/dev")
  mount -t devpts devpts "$tree/dev/pts" && mounts+=("$tree/dev/pts")
  mount -t tmpfs tmpfs "$tree/dev/shm" && mounts+=("$tree/dev/shm")
  mount --bind "$cache/$suite-archives" "$tree/var/cache/apt/archives" && mounts+=("$tree/var/cache/apt/archives")
  name=$(basename "$deb")
  cp "$deb" "$tree/tmp/$name"

  step "apt-get install ./$name"
  # Its Depends alone: xscreensaver, which it recommends, is not what is checked here.
  in_root "apt-get update -q && apt-get install -y -q --no-install-recommends ./tmp/$name" >"$log" 2>&1 ||
    fail "the install failed" "$log"
  # Each dependency that no package of its own name meets: the one that provides it.
  dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//' | while read -r dep; do
    in_root 'dpkg-query -W -f="\${Status}" "$0" 2>/dev/null | grep -q " installed" ||
      dpkg-query -W -f="\${Package} \${Version}: \${Provides}\n" |
      sed -nE "s/^([^ ]+ [^:]+):.*[:,] ($0 \(=[^)]*\)).*/   $1 is met by \1, which provides \2/p"' "${dep%% *}" "$dep"
  done
  in_root "ldd $saver" >"$log" 2>&1 && ! grep -q 'not found' "$log" || fail "ldd: a library is missing" "$log"
  for entry in /usr/share/applications/zellik.desktop /usr/share/applications/screensavers/zellik.desktop \
    /etc/xdg/autostart/zellik-idle.desktop; do
    grep -q "^Exec=$saver\( \|$\)" "$tree$entry" && grep -qx "TryExec=$saver" "$tree$entry" ||
      fail "$entry is missing or does not name $saver"
  done

  step "the installed saver under xvfb-run"
  in_root 'apt-get install -y -q --no-install-recommends xvfb xauth && useradd -m viewer && install -d -m 777 /tmp/fb' \
    >"$log" 2>&1 || fail "no xvfb" "$log"
  chroot "$tree" /usr/sbin/runuser -u viewer -- /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/viewer LANG=C.UTF-8 \
    xvfb-run -a -s '-screen 0 640x480x24 -fbdir /tmp/fb' /bin/bash -c "$saver --fullscreen & saver=\$!
      until [ -e /tmp/fb/stop ] || ! kill -0 \$saver 2>/dev/null; do sleep 0.1; done; kill \$saver; wait \$saver" \
    >"$log" 2>&1 &
  pid=$!
  shot=$cache/$suite-shot.png
  rm -f "$shot" "$cache/$suite.judged"
  for _ in $(seq 60); do
    sleep 0.25
    convert "xwd:$tree/tmp/fb/Xvfb_screen0" "$shot" 2>/dev/null && "$picture" "$shot" kaleidoscope >"$cache/$suite.judged" &&
      break
  done
  touch "$tree/tmp/fb/stop"
  wait "$pid" || status=$?
  grep -q '^as expected' "$cache/$suite.judged" 2>/dev/null ||
    fail "no kaleidoscope on the screen ($shot): $(cat "$cache/$suite.judged" 2>/dev/null)" "$log"
  [ "$status" = 0 ] || fail "the saver ended with status $status" "$log"
  echo "   $(cat "$cache/$suite.judged")"

  step "the README's lines that run without a display, as the account types them"
  chroot "$tree" /usr/sbin/runuser -u viewer -- /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/viewer LANG=C.UTF-8 \
    /bin/bash -c 'set -ex; ini=~/.config/zellik/zellik.ini
      [ "$(command -v zellik)" = /usr/bin/zellik ]
      zellik --help | grep "^Usage: zellik"
      zellik -c --mirrors off
      zellik -c --idle-minutes 10
      grep -x UseMirrors=0 $ini && grep -x IdleMinutes=10 $ini
      zellik -c --idle-minutes 0
      zellik --idle' >"$log" 2>&1 || fail "a README line failed for the account" "$log"

  # What stays of the package's paths must be a folder another package owns, or (after remove) a conffile.
  dpkg-deb -c "$deb" | awk '{sub("/$", "", $6); print substr($6, 2)}' | grep . >"$tree/tmp/paths"
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles >"$tree/tmp/conffiles"
  step "apt-get remove zellik"
  in_root 'apt-get remove -y -q zellik' >"$log" 2>&1 || fail "the removal failed" "$log"
  in_root 'dpkg-query -W -f="\${Status}" zellik | grep -q "deinstall ok config-files" && while read -r path; do
    [ -e "$path" ] || echo "$path"; done </tmp/conffiles' >"$log" 2>&1 || fail "not left as config-files" "$log"
  [ ! -s "$log" ] || fail "a conffile went with remove: $(tr '\n' ' ' <"$log")"
  in_root 'while read -r path; do [ ! -e "$path" ] || grep -q "^$path\(/\|\$\)" /tmp/conffiles || echo "$path"; done </tmp/paths |
    xargs -r dpkg -S 2>&1 >/dev/null | sed -n "s/.*no path found matching pattern //p"' >"$log" 2>&1 || true
  [ ! -s "$log" ] || fail "left behind by remove: $(tr '\n' ' ' <"$log")"
  step "apt-get purge zellik"
  in_root 'apt-get purge -y -q zellik' >"$log" 2>&1 || fail "the purge failed" "$log"
  in_root 'dpkg-query -W -f="\${Status}" zellik 2>/dev/null | grep -v not-installed
    while read -r path; do [ ! -e "$path" ] || echo "$path"; done </tmp/paths | xargs -r dpkg -S 2>&1 >/dev/null |
      sed -n "s/.*no path found matching pattern //p"' \
    >"$log" 2>&1 || true
  [ ! -s "$log" ] || fail "left behind by purge: $(tr '\n' ' ' <"$log")"
  finish
  step passed
}

for suite in "${suites[@]}"; do check_suite; done
