#!/usr/bin/env bash
# Starts firefox-esr and chromium headless on copies of a Firefox profile and a
# Chromium User Data folder and checks that each browser takes them as the user
# left them: nothing set aside as corrupt or reset, the bookmarks, settings and
# add-on data that the makers recorded in the fresh profiles are all still
# there (tests/firefox/profile/reopen_profile.py, tests/chromium/profile/reopen.py).
# By default the fresh profiles of the build tree; give the cleaned ones to
# check what a pass left. Runs in a network namespace with only loopback;
# HOME is inside the build tree. The copies stay in BUILD_DIR/reopen/, or in
# the folder --work names (scenarios running side by side each name one). With
# --signed-in HOST, a page of that site must also still read the cookie,
# localStorage and IndexedDB its visits left (tests/support/signed_in.py).
# Usage: scripts/reopen-profiles.sh BUILD_DIR [--firefox PROFILE] [--chromium USER_DATA] [--only firefox|chromium]
#                                   [--signed-in HOST] [--work DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
shift
firefox=$build/firefox-profile/profile
chromium=$build/chromium-profile/user-data
only=
signed_in=
work=$build/reopen
while [ $# -gt 0 ]; do
  case $1 in
    --firefox) firefox=$(cd "$2" && pwd); shift 2 ;;
    --chromium) chromium=$(cd "$2" && pwd); shift 2 ;;
    --only) only=$2; shift 2 ;;
    --signed-in) signed_in=$2; shift 2 ;;
    --work) work=$(realpath -m "$2"); shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

source "$root/scripts/loopback-namespace.sh"

status=0
if [ "$only" != chromium ]; then
  in_loopback_namespace "python3 -B '$root/tests/firefox/profile/reopen_profile.py' '$firefox' \
    '$build/firefox-profile/work/fresh.json' '$work/firefox' $signed_in" || status=1
fi
if [ "$only" != firefox ]; then
  in_loopback_namespace "python3 -B '$root/tests/chromium/profile/reopen.py' '$chromium' \
    '$build/chromium-profile/work/fresh.json' '$work/chromium' $signed_in" || status=1
fi
exit $status
