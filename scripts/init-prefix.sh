#!/usr/bin/env bash
# Creates the build tree's Wine prefix once. Needs DISPLAY (wineboot opens windows).
# Usage: scripts/init-prefix.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh" "$1"
stamp="$WINEPREFIX/.vorlane-ready"
[ -f "$stamp" ] && exit 0

echo "Creating the Wine prefix $WINEPREFIX (once per build tree)..."
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
# Without a window manager every destroyed visible window and message box waits
# for one; unmanaged, undecorated windows avoid seconds of delay per window.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
