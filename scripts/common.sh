# Shared by the README's commands and the release scripts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# Runs a step with its output kept back, shown only when it fails.
quietly() {
  local log
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "failed: $*" >&2
    return 1
  fi
  rm -f "$log"
}

# The package lists (scripts/packages-AREA.txt) a preset's build needs: what
# the README's commands install before building it. tests/package holds every
# build to its lists.
preset_lists() {
  case "$1" in
    linux | release-linux) echo linux x11 ;;
    windows | release-windows) echo windows ;;
    *) echo "preset_lists: no lists for preset $1" >&2; return 1 ;;
  esac
}

# True when DIR holds a release and nothing else: the files SHA256SUMS
# names, with those sums, and SHA256SUMS itself.
release_only() {
  [ -f "$1/SHA256SUMS" ] && (cd "$1" && sha256sum --quiet -c SHA256SUMS) &&
    [ "$(ls -A "$1" | LC_ALL=C sort)" = "$({ awk '{print $2}' "$1/SHA256SUMS"; echo SHA256SUMS; } | LC_ALL=C sort)" ]
}

build_preset() {
  echo "== building $1"
  quietly cmake --preset "$1" "${@:2}"
  quietly cmake --build --preset "$1"
}
