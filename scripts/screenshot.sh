#!/usr/bin/env bash
# Renders the main window under Xvfb to a PNG so anyone can see what a user sees.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default: build/screenshots/main-window.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
out=${1:-$build/screenshots/main-window.png}
mkdir -p "$(dirname "$out")"
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
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --name '^Vorlane$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "The main window did not appear." >&2
  exit 1
fi
sleep 1
import -window root -crop "$(xdotool getwindowgeometry --shell "$window" | awk -F= '
  /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
  END{printf "%dx%d+%d+%d", w, h, x, y}')" "$out"
echo "Saved $out"
