# Shared by the README's commands: installs what is missing, builds both trees.
# Sourced, not run.

HDGR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HDGR_BUILD=${HDGR_BUILD:-$HDGR_ROOT/build}
HDGR_NATIVE=$HDGR_BUILD/native
HDGR_WIN64=$HDGR_BUILD/win64
HDGR_SANITIZE_DIR=$HDGR_BUILD/sanitize
HDGR_JOBS=${HDGR_JOBS:-$(nproc)}

hdgr_packages=(cmake ninja-build g++ googletest wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools
               xvfb xauth openbox x11-utils fonts-liberation imagemagick osslsigncode openssl git
               clang libclang-rt-14-dev)

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
# HDGR_WERROR=ON (as CI sets it) makes every warning of our own code an error.
hdgr_build() {
  local werror=-DHDGR_WERROR=${HDGR_WERROR:-OFF}
  echo "== Native build ($HDGR_NATIVE)"
  cmake -S "$HDGR_ROOT" --preset native -B "$HDGR_NATIVE" "$werror" >/dev/null
  cmake --build "$HDGR_NATIVE" -j "$HDGR_JOBS"
  echo "== Windows x86-64 build ($HDGR_WIN64)"
  cmake -S "$HDGR_ROOT" --preset win64 -B "$HDGR_WIN64" "$werror" \
    -DHDGR_HOST_TOOLS_DIR="$HDGR_NATIVE/bin" -DHDGR_PAYLOAD_DIR="${HDGR_PAYLOAD_DIR:-}" \
    -DHDGR_PACKAGE_VERSION="${HDGR_PACKAGE_VERSION:-}" >/dev/null
  cmake --build "$HDGR_WIN64" -j "$HDGR_JOBS"
}

# The sanitize preset: the native build under ASan and UBSan, with the fuzz targets.
hdgr_build_sanitize() {
  echo "== Native build under the sanitizers, with the fuzz targets ($HDGR_SANITIZE_DIR)"
  cmake -S "$HDGR_ROOT" --preset sanitize -B "$HDGR_SANITIZE_DIR" >/dev/null
  cmake --build "$HDGR_SANITIZE_DIR" -j "$HDGR_JOBS"
}

# Runs every fuzz target of the sanitize build for $1 seconds, from its seed corpus in
# tests/fuzz/corpus and what earlier runs found. Returns 1 when any target found something.
hdgr_fuzz() {
  local seconds=$1 target name work status=0 options
  for target in "$HDGR_SANITIZE_DIR"/tests/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$HDGR_SANITIZE_DIR/fuzz/$name
    mkdir -p "$work/corpus" "$work/findings"
    options=(-max_total_time="$seconds" -timeout=60 -print_final_stats=1 -artifact_prefix="$work/findings/")
    [ -f "$HDGR_ROOT/tests/fuzz/$name.dict" ] && options+=(-dict="$HDGR_ROOT/tests/fuzz/$name.dict")
    # New inputs go to the first folder, so the seed corpus stays as committed.
    if "$target" "${options[@]}" "$work/corpus" "$HDGR_ROOT/tests/fuzz/corpus/$name" >"$work/fuzz.log" 2>&1; then
      echo "$name: $(hdgr_fuzz_summary "$work/fuzz.log"), no finding"
    else
      status=1
      echo "$name: FINDING ($(hdgr_fuzz_summary "$work/fuzz.log")); the last of its log ($work/fuzz.log):"
      tail -n 30 "$work/fuzz.log"
      echo "$name: the input is kept in $work/findings/ (add it to tests/fuzz/corpus/$name/ with the fix):"
      ls -1 "$work/findings/"
    fi
  done
  return "$status"
}

# "N runs, cov C ft F" from a libFuzzer log.
hdgr_fuzz_summary() {
  local runs coverage
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$1" | grep -o '[0-9]*$' || true)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$1" | tail -n 1 | sed 's/: / /g' || true)
  echo "${runs:-?} runs, ${coverage:-no coverage reported}"
}
