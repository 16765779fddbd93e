#!/usr/bin/env bash
# Usage: scripts/fuzz.sh [SECONDS]
# Builds the sanitize preset and runs each fuzz target for SECONDS (default 60). A finding
# makes it exit 1 and leaves its input in build/sanitize/fuzz/TARGET/findings/; new inputs
# that reach new code gather in build/sanitize/fuzz/TARGET/corpus/.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
hdgr_build_sanitize
echo "== Fuzzing, ${1:-60} s per target"
hdgr_fuzz "${1:-60}"
