#!/usr/bin/env bash
# Starts firefox-esr on the fixture profile with the places.sqlite that the
# firefox tests erased (left as C:\vorlane-firefox-erased\places.sqlite) and
# checks that Firefox keeps it and reads the same bookmarks (see
# tests/firefox/profile/reopen.py). Runs in a network namespace with only
# loopback; HOME is inside the build tree.
# Usage: scripts/reopen-firefox-profile.sh BUILD_DIR WINEPREFIX
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
erased=$2/drive_c/vorlane-firefox-erased/places.sqlite
[ -f "$erased" ] || { echo "no erased places.sqlite at $erased: did the firefox tests run?" >&2; exit 1; }
inner="ip link set lo up && python3 -B '$root/tests/firefox/profile/reopen.py' '$build/firefox-profile/profile' '$erased' '$build/firefox-profile/reopen'"
status=0
if [ "$(id -u)" -eq 0 ]; then unshare -n bash -c "$inner" || status=$?; else unshare -rn bash -c "$inner" || status=$?; fi
# Used once: a later run must not check a file its own tests did not erase.
rm -rf "$(dirname "$erased")"
exit $status
