#!/usr/bin/env bash
# Makes a Wine prefix for the tests, benchmarks and screenshots, once: a sandbox
# from which a faulty cleaner cannot reach the developer's files, and in which a
# crash ends at once.
#   - The profile's shell folders (Desktop, Documents, Downloads, Music, Pictures,
#     Videos, Templates) are real, empty folders, not Wine's links to the Linux
#     home. scripts/wine-env.sh keeps Wine from linking them anew.
#   - No Z: (Wine's view of the whole Linux file system). C: is the prefix's own
#     drive, X: the build tree, where the test programs, the benchmarks and
#     Vorlane.exe are started from: Wine gives a program started from outside
#     every drive a module path no program can open ("unix\..."), and Vorlane
#     finds its cursor and skin beside itself. (COMn and LPTn stay: Wine links
#     them to the serial and parallel port devices anew at every start.)
#   - No crash debugger and no crash dialog: a program that crashes ends with
#     its exception code instead of waiting for winedbg.
#   - Every URL a program opens goes to scripts/record-url.sh, which appends it
#     to C:\vorlane-browser.log instead of starting the Linux browser.
#   - Unmanaged, undecorated windows: without a window manager every destroyed
#     visible window and message box would wait for one.
#   - Wine's Marlett font (package fonts-wine) in C:\windows\Fonts: Debian's
#     Wine does not find it where the package puts it, and without it the
#     caption buttons Wine draws show the letters "0 1 r".
# scripts/check-sandbox.sh checks all of it. Needs DISPLAY (wineboot opens windows).
# wineboot runs once per build tree, into build/prefix-seed, which nothing runs
# in; every prefix is a copy of it.
# Usage: scripts/make-prefix.sh PREFIX BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "usage: make-prefix.sh PREFIX BUILD_DIR" >&2; exit 2; }
build=$(cd "$2" && pwd)
target=$(realpath -m "$1")
seed=$build/prefix-seed

# The set-up's version: a prefix made by an older set-up is made anew.
version=sandbox-1
made() { [ "$(cat "$1/.vorlane-prefix" 2>/dev/null)" = "$version" ]; }

# Ends what still runs in an older prefix, then removes it (rm -rf removes
# Wine's links to the home folder without following them).
remove_prefix() {
  [ -e "$1" ] || return 0
  (
    source "$here/wine-env.sh" --prefix "$1"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  )
  rm -rf "$1"
}

make_seed() (
  source "$here/wine-env.sh" --prefix "$seed"
  remove_prefix "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w

  users=$WINEPREFIX/drive_c/users
  find "$users" -type l -print0 | while IFS= read -r -d '' link; do
    rm "$link"
    mkdir "$link"
  done

  for entry in "$WINEPREFIX"/dosdevices/*; do
    case $(basename "$entry") in
      c: | com[0-9]* | lpt[0-9]*) ;;
      *) rm "$entry" ;;
    esac
  done
  ln -s "$build" "$WINEPREFIX/dosdevices/x:"

  marlett=/usr/share/wine/fonts/marlett.ttf
  [ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"

  recorder=$here/record-url.sh
  settings=$WINEPREFIX/drive_c/vorlane-settings.reg
  cat >"$settings" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]
"Auto"="1"
"Debugger"=""

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$recorder"
"Mailers"="$recorder"

[HKEY_CURRENT_USER\\Software\\Wine\\DllOverrides]
"winemenubuilder.exe"=""
REG
  wine regedit /S 'C:\vorlane-settings.reg' >/dev/null 2>&1 </dev/null
  rm "$settings"
  wineserver -w
  echo "$version" >"$WINEPREFIX/.vorlane-prefix"
)

made "$target" && exit 0
echo "Creating the Wine prefix $target..."
# Two scripts may want a prefix at once (a test run and a screenshot run).
exec 9>"$seed.lock"
flock 9
made "$seed" || make_seed
remove_prefix "$target"
cp -a "$seed" "$target"
