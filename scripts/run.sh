#!/usr/bin/env bash
# Builds Vorlane and starts it under Wine on your display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build"
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display: set DISPLAY (or run scripts/screenshot.sh to render under Xvfb)." >&2
  exit 1
fi
source "$root/scripts/wine-env.sh" "$build"
bash "$root/scripts/make-prefix.sh" "$WINEPREFIX" "$build"
exec wine "$build/Vorlane.exe"
