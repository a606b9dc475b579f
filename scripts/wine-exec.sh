#!/usr/bin/env bash
# Runs one Windows program under Wine with the quiet test settings.
# CTest calls this for every test program; WINEPREFIX comes from the test's environment.
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
: "${WINEPREFIX:?WINEPREFIX must name the prefix of the build tree}"
exec wine "$@"
