# Shared by the README's commands: installs what is missing, builds both trees.
# Sourced, not run.

HDGR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HDGR_BUILD=${HDGR_BUILD:-$HDGR_ROOT/build}
HDGR_NATIVE=$HDGR_BUILD/native
HDGR_WIN64=$HDGR_BUILD/win64
HDGR_JOBS=${HDGR_JOBS:-$(nproc)}

hdgr_packages=(cmake ninja-build g++ googletest wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools
               xvfb xauth openbox x11-utils fonts-liberation imagemagick osslsigncode openssl git)

hdgr_missing_packages() {
  local p missing=()
  for p in "${hdgr_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

hdgr_install_dependencies() {
  local missing
  missing=$(hdgr_missing_packages)
  [ -z "$missing" ] && return 0
  echo "== Installing: $missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}

# The presets of CMakePresets.json, in the folders HDGR_BUILD names.
hdgr_build() {
  echo "== Native build ($HDGR_NATIVE)"
  cmake -S "$HDGR_ROOT" --preset native -B "$HDGR_NATIVE" >/dev/null
  cmake --build "$HDGR_NATIVE" -j "$HDGR_JOBS"
  echo "== Windows x86-64 build ($HDGR_WIN64)"
  cmake -S "$HDGR_ROOT" --preset win64 -B "$HDGR_WIN64" \
    -DHDGR_HOST_TOOLS_DIR="$HDGR_NATIVE/bin" -DHDGR_PAYLOAD_DIR="${HDGR_PAYLOAD_DIR:-}" >/dev/null
  cmake --build "$HDGR_WIN64" -j "$HDGR_JOBS"
}
