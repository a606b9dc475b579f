#!/usr/bin/env bash
# Builds the program alone (not the tests) and starts it under Wine on your
# display, in a Wine prefix of its own (build/run-prefix): what you do there
# never reaches the tests' prefix, nor your own ~/.wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
VORLANE_BUILD_TARGET=Vorlane bash "$root/scripts/build.sh" "$build"
if [ -z "${DISPLAY:-}" ]; then
  echo "No X display: set DISPLAY (or run scripts/screenshot.sh to render under Xvfb)." >&2
  exit 1
fi
source "$root/scripts/wine-env.sh" --prefix "$build/run-prefix"
bash "$root/scripts/make-prefix.sh" "$WINEPREFIX" "$build"
exec wine "$build/Vorlane.exe"
