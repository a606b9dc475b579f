#!/usr/bin/env bash
# Builds everything and runs every test under Wine inside one Xvfb.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build"

source "$root/scripts/wine-env.sh" "$build"
source "$root/scripts/xvfb.sh"
cleanup() {
  wineserver -k 2>/dev/null || true
  vorlane_stop_xvfb
}
trap cleanup EXIT
vorlane_start_xvfb
bash "$root/scripts/init-prefix.sh" "$build"
# One warm wineserver for the whole run: each test program then starts in ~0.05 s.
wineserver -p
# Start Wine's own background services now, with their output going nowhere:
# started by a test, they would hold CTest's output pipe open after it ends.
wine cmd /c exit >/dev/null 2>&1 </dev/null
ctest --test-dir "$build" --output-on-failure "$@"
