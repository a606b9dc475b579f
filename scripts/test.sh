#!/usr/bin/env bash
# Builds everything and runs every test under Wine inside one Xvfb.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build"

source "$root/scripts/wine-session.sh"
trap vorlane_stop_session EXIT
vorlane_start_session "$build"
ctest --test-dir "$build" --output-on-failure "$@"
