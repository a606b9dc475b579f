#!/usr/bin/env bash
# Renders the pictures the README shows, under Xvfb:
#   docs/main-window.png       the main window without a skin
#   docs/main-window-skin.png  the same with resources/skins/Harbour.cjs as its skin
#   docs/tray-balloon.png      after minimizing: Wine's tray window and the balloon
# Usage: scripts/docs-screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
docs=$root/docs
bash "$root/scripts/build.sh" "$build"

source "$root/scripts/wine-env.sh" "$build"
source "$root/scripts/xvfb.sh"
skin_dir=$build/x
cleanup() {
  rm -rf "$skin_dir"
  wineserver -k 2>/dev/null || true
  vorlane_stop_xvfb
}
trap cleanup EXIT
vorlane_start_xvfb
bash "$root/scripts/init-prefix.sh" "$build"
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
# A first start as the user would see it: no saved settings.
wine reg delete 'HKCU\Software\Pendrake\Vorlane' /f >/dev/null 2>&1 </dev/null || true

main_window() {
  local window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Vorlane$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
  echo "$window"
}

geometry() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '
    /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
    END{printf "%d %d %d %d\n", x, y, w, h}'
}

shoot_window() {
  local window x y w h
  window=$(main_window)
  sleep 1
  read -r x y w h < <(geometry "$window")
  import -window root -crop "${w}x${h}+${x}+${y}" "$1"
  echo "Saved $1"
}

stop_program() {
  wine taskkill /im Vorlane.exe >/dev/null 2>&1 </dev/null || true
  sleep 1
}

# 1. Without a skin.
rm -rf "$skin_dir"
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
shoot_window "$docs/main-window.png"

# 2. The balloon: minimize through the window's own minimize box, then take
#    the whole screen (Wine draws its own tray window when no desktop tray exists).
window=$(main_window)
read -r x y w h < <(geometry "$window")
xdotool mousemove $((x + w - 42)) $((y + 10)) click 1
sleep 2
# Wine puts its tray window and the balloon in the top-left corner.
import -window root -crop 360x120+0+0 "$docs/tray-balloon.png"
echo "Saved $docs/tray-balloon.png"
stop_program

# 3. With the sample skin.
mkdir -p "$skin_dir"
cp "$root/resources/skins/Harbour.cjs" "$skin_dir/o.cjs"
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
shoot_window "$docs/main-window-skin.png"
stop_program
