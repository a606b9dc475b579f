#!/usr/bin/env bash
# Installs what is missing, then configures and builds into BUILD_DIR (default: build).
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake -D options...]
# With VORLANE_BUILD_TARGET set (e.g. Vorlane), builds that target alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
      -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" ${VORLANE_BUILD_TARGET:+--target "$VORLANE_BUILD_TARGET"}
