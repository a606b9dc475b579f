#!/usr/bin/env bash
# Builds the program and its Windows installer: build/Vorlane-Setup.exe (NSIS).
# Usage: scripts/installer.sh [BUILD_DIR]
# The installer itself: "Vorlane-Setup.exe" (or /S for a silent install into
# Program Files\Vorlane); uninstall from Add/Remove Programs or
# "Uninstall.exe /S" (keeps the settings; add /REMOVESETTINGS to remove them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${VORLANE_BUILD_DIR:-$root/build}}
bash "$root/scripts/build.sh" "$build"
cmake --build "$build" --target installer
echo "Built $build/Vorlane-Setup.exe"
