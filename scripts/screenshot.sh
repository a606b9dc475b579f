#!/usr/bin/env bash
# Renders the main window under Xvfb to a PNG so anyone can see what a user sees.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default: build/screenshots/main-window.png)
#        scripts/screenshot.sh --docs         the pictures the README shows:
#          docs/main-window.png       the main window without a skin
#          docs/main-window-skin.png  the same with resources/skins/Harbour.cjs as its skin
#          docs/tray-balloon.png      after minimizing: Wine's tray window and the balloon
#          docs/preview.png           "Preview" with three boxes ticked: the dialog
#          docs/pass-running.png      a pass deleting files named in Cyrillic, CJK and Greek
#          docs/found-browsers.png    Firefox and LibreWolf, Chrome and Opera found: the
#                                     Chrome frame's label and a Firefox box's tool tip
#          docs/sites-to-keep.png     "Sites to Keep..." over the tests' real Firefox and
#                                     Chrome profiles, two sites on the keep list
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
docs=""
if [ "${1:-}" = "--docs" ]; then
  docs=$root/docs
else
  out=${1:-$build/screenshots/main-window.png}
  mkdir -p "$(dirname "$out")"
fi
bash "$root/scripts/build.sh" "$build"

source "$root/scripts/wine-session.sh"
skin_dir=$build/x
cleanup() {
  [ -n "$docs" ] && rm -rf "$skin_dir"
  vorlane_stop_session
}
trap cleanup EXIT
vorlane_start_session "$build"

# The visible window titled exactly $1, waited for up to $2 tenths of a second.
window_titled() {
  local window=""
  for _ in $(seq 1 "$2"); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "The window \"$1\" did not appear." >&2; exit 1; }
  echo "$window"
}

main_window() { window_titled Vorlane 100; }

geometry() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '
    /^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
    END{printf "%d %d %d %d\n", x, y, w, h}'
}

# The pointer rests on the screen's far corner, off the window: Xvfb starts it at
# the centre, where it would hover over a check box in the picture.
rest_pointer() {
  local width height
  read -r width height < <(xdotool getdisplaygeometry)
  xdotool mousemove $((width - 1)) $((height - 1))
}

# Saves the main window, or the window named second, as the PNG file named first.
shoot_window() {
  local window x y w h
  window=${2:-$(main_window)}
  rest_pointer
  sleep 1
  read -r x y w h < <(geometry "$window")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
  echo "Saved $1"
}

stop_program() {
  wine taskkill /im Vorlane.exe >/dev/null 2>&1 </dev/null || true
  sleep 1
}

if [ -z "$docs" ]; then
  wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
  shoot_window "$out"
  exit 0
fi

# A first start as the user would see it: no saved settings, no skin.
wine reg delete 'HKCU\Software\Pendrake\Vorlane' /f >/dev/null 2>&1 </dev/null || true
rm -rf "$skin_dir"
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
shoot_window "$docs/main-window.png"

# Minimize through the window's own minimize box; Wine puts its tray window and
# the balloon in the top-left corner of a desktop without a tray.
read -r x y w h < <(geometry "$(main_window)")
xdotool mousemove $((x + w - 42)) $((y + 10)) click 1
sleep 2
import -window root -crop 360x120+0+0 +repage "$docs/tray-balloon.png"
echo "Saved $docs/tray-balloon.png"
stop_program

mkdir -p "$skin_dir"
cp "$root/resources/skins/Harbour.cjs" "$skin_dir/o.cjs"
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
shoot_window "$docs/main-window-skin.png"
stop_program
rm -rf "$skin_dir"

# Three boxes ticked (as remembered from an earlier run), with something for
# them to find: three typed addresses and a few cached files. Then "Preview",
# the button at the right end of the last row.
for box in chkIETemp chkIETyped chkCrHist; do
  wine reg add 'HKCU\Software\Pendrake\Vorlane' /v "$box" /d On /f >/dev/null 2>&1 </dev/null
done
typed='HKCU\Software\Microsoft\Internet Explorer\TypedURLs'
for n in 1 2 3; do
  wine reg add "$typed" /v "url$n" /d "http://site$n.example/" /f >/dev/null 2>&1 </dev/null
done
cache_value=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Cache \
  2>/dev/null </dev/null | tr -d '\r' | awk -F'REG_SZ' '/Cache/ {sub(/^[ \t]+/, "", $2); print $2}')
cache_demo=$(winepath -u "$cache_value" 2>/dev/null)/vorlane-docs
mkdir -p "$cache_demo"
for n in $(seq 1 24); do head -c $((n * 1500)) /dev/zero > "$cache_demo/page$n.tmp"; done
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
read -r x y w h < <(geometry "$(main_window)")
xdotool mousemove $((x + w - w / 6)) $((y + h - 20)) click 1
shoot_window "$docs/preview.png" "$(window_titled "Vorlane Preview" 300)"
xdotool key Escape
stop_program
wine reg delete 'HKCU\Software\Pendrake\Vorlane' /f >/dev/null 2>&1 </dev/null || true
wine reg delete "$typed" /f >/dev/null 2>&1 </dev/null || true
rm -rf "$cache_demo"/*

# A pass under way: 20,000 cached files in a folder named in three scripts,
# "Clear Cache/Temp Internet Files" ticked, "Delete Now (Test)" clicked; the
# picture is taken while the status line shows the paths it deletes.
wine reg add 'HKCU\Software\Pendrake\Vorlane' /v chkIETemp /d On /f >/dev/null 2>&1 </dev/null
# Windows draws the Chinese and Japanese the window's font lacks with a linked
# font; here the one fonts-wqy-microhei brings.
font_links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
wine reg add "$font_links" /v Arial /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 </dev/null
python3 - "$cache_demo/Кэш 日本 Ωmega" <<'PY'
import os, sys
os.makedirs(sys.argv[1])
for n in range(20000):
    open(os.path.join(sys.argv[1], f"страница-{n:05d}-日本-σελίδα.html"), "wb").write(b"x" * 200)
PY
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
read -r x y w h < <(geometry "$(main_window)")
xdotool mousemove $((x + w * 6000 / 12060)) $((y + h * 6382 / 7710)) click 1
rest_pointer
sleep 3
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$docs/pass-running.png"
echo "Saved $docs/pass-running.png"
stop_program
wine reg delete "$font_links" /v Arial /f >/dev/null 2>&1 </dev/null || true
wine reg delete 'HKCU\Software\Pendrake\Vorlane' /f >/dev/null 2>&1 </dev/null || true
rm -rf "$cache_demo"

# A Firefox and a LibreWolf profile, a Chrome and an Opera profile, planted in
# the prefix's own AppData folders; the pointer rests on the "Clear Typed URL(s) In Firefox" box of the
# "Mozilla Firefox" frame until its tool tip shows.
roaming=$(winepath -u 'C:\users\root\AppData\Roaming' 2>/dev/null)
local_appdata=$(winepath -u 'C:\users\root\AppData\Local' 2>/dev/null)
planted=()
for folder in "$roaming/Mozilla" "$roaming/librewolf" "$roaming/Opera Software" "$local_appdata/Google"; do
  [ -e "$folder" ] && { echo "$folder is there already: not planting over it." >&2; exit 1; }
  planted+=("$folder")
done
for fork in Mozilla/Firefox librewolf; do
  mkdir -p "$roaming/$fork/Profiles/docs.default"
  printf '[Profile0]\r\nName=docs\r\nIsRelative=1\r\nPath=Profiles/docs.default\r\n' > "$roaming/$fork/profiles.ini"
  touch "$roaming/$fork/Profiles/docs.default/prefs.js"
done
mkdir -p "$local_appdata/Google/Chrome/User Data/Default" "$roaming/Opera Software/Opera Stable"
echo '{}' > "$local_appdata/Google/Chrome/User Data/Default/Preferences"
echo '{}' > "$roaming/Opera Software/Opera Stable/Preferences"
wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
window=$(main_window)
sleep 1
read -r x y w h < <(geometry "$window")
xdotool mousemove $((x + w * 4700 / 12060)) $((y + h * 3200 / 7710))
sleep 2
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$docs/found-browsers.png"
echo "Saved $docs/found-browsers.png"
stop_program
rm -rf "${planted[@]}"

# The real test profiles that firefox-esr and Debian's chromium made (when
# this build tree has them), planted as the user's Firefox and Chrome, two
# sites on the keep list, then "Sites to Keep...", the button above "Preview".
made_firefox=$build/firefox-profile/profile
made_chrome=$build/chromium-profile/user-data
if [ -f "$made_firefox/places.sqlite" ] && [ -d "$made_chrome/Default" ]; then
  for folder in "$roaming/Mozilla" "$local_appdata/Google"; do
    [ -e "$folder" ] && { echo "$folder is there already: not planting over it." >&2; exit 1; }
  done
  mkdir -p "$roaming/Mozilla/Firefox/Profiles" "$local_appdata/Google/Chrome"
  cp -r "$made_firefox" "$roaming/Mozilla/Firefox/Profiles/docs.default"
  printf '[Profile0]\r\nName=docs\r\nIsRelative=1\r\nPath=Profiles/docs.default\r\n' > "$roaming/Mozilla/Firefox/profiles.ini"
  cp -r "$made_chrome" "$local_appdata/Google/Chrome/User Data"
  wine reg add 'HKCU\Software\Pendrake\Vorlane' /v SitesToKeep /t REG_MULTI_SZ \
    /d 'alpha-visit.test\0192.168.1.*' /f >/dev/null 2>&1 </dev/null
  wine "$build/Vorlane.exe" >/dev/null 2>&1 </dev/null &
  read -r x y w h < <(geometry "$(main_window)")
  xdotool mousemove $((x + w - w / 6)) $((y + h * 6892 / 7710)) click 1
  shoot_window "$docs/sites-to-keep.png" "$(window_titled "Vorlane Sites to Keep" 600)"
  xdotool key Escape
  stop_program
  wine reg delete 'HKCU\Software\Pendrake\Vorlane' /f >/dev/null 2>&1 </dev/null || true
  rm -rf "$roaming/Mozilla" "$local_appdata/Google"
fi
