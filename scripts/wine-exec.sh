#!/usr/bin/env bash
# Runs one Windows program under Wine with the quiet test settings.
# CTest calls this for every test program; WINEPREFIX comes from the test's environment.
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the build tree}"
source "$(dirname "$0")/wine-env.sh" --prefix "$WINEPREFIX"
exec wine "$@"
