#!/usr/bin/env bash
# Checks, from the Linux side, that Wine prefixes are the sandboxes
# scripts/make-prefix.sh makes:
#   - every dosdevices entry is a drive inside the prefix or the build tree, or
#     a serial or parallel port (a device, not a folder);
#   - no link under drive_c leads out of the prefix, and no shell folder of a
#     profile is a link;
#   - no crash debugger and no crash dialog;
#   - URLs go to scripts/record-url.sh.
# With --run EXE it also starts programs in the first prefix (inside the test
# session): EXE, which dereferences a null pointer, must end at once with a
# non-zero code, and a URL opened with "start" must land in C:\vorlane-browser.log.
# Usage: scripts/check-sandbox.sh BUILD_DIR [--run EXE] PREFIX [OPTIONAL_PREFIX...]
#        (an optional prefix that does not exist is skipped)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: check-sandbox.sh BUILD_DIR [--run EXE] PREFIX [OPTIONAL_PREFIX...]"
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
build=$(realpath "$1")
shift
crasher=""
if [ "$1" = "--run" ]; then
  crasher=$2
  shift 2
fi
[ $# -ge 1 ] || { echo "$usage" >&2; exit 2; }
failures=0

fail() {
  echo "NOT A SANDBOX: $prefix: $*" >&2
  failures=$((failures + 1))
}

# Whether PATH, with every link on the way resolved, lies inside FOLDER
# (default: the prefix).
inside() {
  local real folder=${2:-$root}
  real=$(realpath -m "$1")
  [[ $real == "$folder" || $real == "$folder"/* ]]
}

# The data of value NAME under KEY in a Wine registry file as written there
# ("1" with its quotes, dword:00000000, ...); empty when it is missing. KEY is
# spelled as in the file, with doubled backslashes.
reg_data() {
  KEY="[$2]" NAME="\"$3\"=" awk '
    BEGIN { key = tolower(ENVIRON["KEY"]); name = tolower(ENVIRON["NAME"]) }
    /^\[/ { inside = index(tolower($0), key " ") == 1; next }
    inside && index(tolower($0), name) == 1 { print substr($0, length(name) + 1); exit }
  ' "$1"
}

expect_reg() {
  local file=$1 key=$2 name=$3 expected=$4 actual
  actual=$(reg_data "$prefix/$file" "$key" "$name")
  [ "$actual" = "$expected" ] || fail "${key//\\\\/\\} \"$name\" is ${actual:-missing}, not $expected"
}

check_drives() {
  local entry name
  for entry in "$prefix"/dosdevices/*; do
    name=$(basename "$entry")
    case $name in
      com[0-9]* | lpt[0-9]*)
        [[ $(realpath -m "$entry") == /dev/* && ! -d $entry ]] ||
          fail "dosdevices/$name leads to $(realpath -m "$entry"), not to a port device" ;;
      *)
        inside "$entry" || inside "$entry" "$build" ||
          fail "drive dosdevices/$name leads to $(realpath -m "$entry")" ;;
    esac
  done
}

check_links() {
  local link profile folder
  while IFS= read -r -d '' link; do
    inside "$link" || fail "${link#"$prefix"/} leads to $(realpath -m "$link")"
  done < <(find "$prefix/drive_c" -type l -print0)
  for profile in "$prefix"/drive_c/users/*/; do
    for folder in Desktop Documents Downloads Music Pictures Videos \
                  AppData/Roaming/Microsoft/Windows/Templates; do
      [ ! -L "$profile$folder" ] || fail "${profile#"$prefix"/}$folder is a link, not a folder"
    done
  done
}

check_registry() {
  expect_reg system.reg 'Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug' Debugger '""'
  expect_reg system.reg 'Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug' Auto '"1"'
  expect_reg user.reg 'Software\\Wine\\WineDbg' ShowCrashDialog dword:00000000
  expect_reg user.reg 'Software\\Wine\\WineBrowser' Browsers "\"$here/record-url.sh\""
  expect_reg user.reg 'Software\\Wine\\WineBrowser' Mailers "\"$here/record-url.sh\""
}

check_programs() {
  local code=0 log url
  source "$here/wine-env.sh" --prefix "$prefix"
  timeout 30 wine "$crasher" >/dev/null 2>&1 </dev/null || code=$?
  case $code in
    0) fail "a null pointer dereference ended with exit code 0" ;;
    124) fail "a program that dereferenced a null pointer still ran after 30 s (a crash debugger?)" ;;
  esac

  log=$prefix/drive_c/vorlane-browser.log
  url="https://www.pendrake.example/#sandbox-check-$$"
  wine start "$url" >/dev/null 2>&1 </dev/null || fail "wine start $url failed"
  for _ in $(seq 1 100); do
    grep -qxF "$url" "$log" 2>/dev/null && return
    sleep 0.1
  done
  fail "$url was not recorded in C:\\vorlane-browser.log"
}

first=1
for prefix in "$@"; do
  if [ ! -d "$prefix" ]; then
    [ $first -eq 1 ] && fail "no such prefix"
    first=0
    continue
  fi
  root=$(realpath "$prefix")
  check_drives
  check_links
  check_registry
  if [ $first -eq 1 ] && [ -n "$crasher" ]; then check_programs; fi
  first=0
  echo "checked $prefix"
done
[ $failures -eq 0 ] || { echo "$failures problem(s) found" >&2; exit 1; }
