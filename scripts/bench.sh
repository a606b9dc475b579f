#!/usr/bin/env bash
# Builds the benchmark programs and runs the folder-deletion benchmark under Wine.
# Usage: scripts/bench.sh [files-per-folder]    (default 100: 50,000 files in 500 folders)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build" -DVORLANE_BENCH=ON

source "$root/scripts/wine-session.sh"
trap vorlane_stop_session EXIT
vorlane_start_session "$build"
wine "$build/FolderDeleteBench.exe" build "$@"
# Let the disk finish writing the new files, so neither deletion pays for it.
sync
sleep 2
wine "$build/FolderDeleteBench.exe" measure
