#!/usr/bin/env bash
# Builds everything and runs every test under Wine inside one Xvfb.
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build"

source "$root/scripts/wine-session.sh"
trap vorlane_stop_session EXIT
# The tests' prefix is made afresh for every run: a test that crashed, or
# anything run there by hand, leaves nothing behind for the next run.
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
rm -rf "$build/wineprefix"
vorlane_start_session "$build"
# Three at a time: the tests mostly wait for Wine and the X server, not for the
# processor. The test programs take turns in the tests' prefix (a resource
# lock); each end-to-end scenario has a prefix and a display of its own.
ctest --test-dir "$build" --output-on-failure -j3 "$@"
