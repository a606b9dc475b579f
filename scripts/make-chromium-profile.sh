#!/usr/bin/env bash
# Makes a real Chromium profile once per build tree (BUILD_DIR/chromium-profile),
# with Debian's chromium driven headless inside a network namespace that has
# only loopback, then plants a copy of its User Data folder (Local State and
# the Default profile, and the per-address metrics kept beside it) in the test
# prefix's drive C as
# C:\vorlane-chromium-profile\ (replaced on every run).
# HOME and the XDG folders point into the build tree: the user's own
# ~/.config/chromium is never read or written.
# Usage: scripts/make-chromium-profile.sh BUILD_DIR [WINEPREFIX]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=${2:-}
top=$build/chromium-profile
user_data=$top/user-data

source "$root/scripts/loopback-namespace.sh"

# Made again when the scripts that make it changed (or BUILD_DIR/chromium-profile/made is deleted).
stamp=$(cat "$root"/tests/chromium/profile/*.py "$root"/tests/support/{test_site,visited_sites,kept_addon}.py \
  "$root"/tests/support/addon/* | sha1sum | cut -d" " -f1)
if [ "$(cat "$top/made" 2>/dev/null)" != "$stamp" ]; then
  command -v chromium >/dev/null || { echo "chromium is not installed (scripts/install-deps.sh)" >&2; exit 1; }
  rm -rf "$top"
  mkdir -p "$top"
  echo "Making a Chromium profile with $(chromium --version 2>/dev/null | awk '{print $1, $2}')"
  start=$(date +%s)
  in_loopback_namespace "python3 -B '$root/tests/chromium/profile/make_profile.py' '$user_data' '$top/work'"
  # What a running browser leaves: its lock and the singleton links (dangling once it is gone).
  rm -f "$user_data/lockfile" "$user_data"/Singleton*
  echo "$stamp" >"$top/made"
  echo "Chromium profile made in $(( $(date +%s) - start )) s: $user_data"
fi

if [ -n "$prefix" ]; then
  target=$prefix/drive_c/vorlane-chromium-profile
  rm -rf "$target"
  mkdir -p "$target"
  cp "$user_data/Local State" "$target/"
  cp -r "$user_data/Default" "$user_data/segmentation_platform" "$target/"
fi

# Links below a browser's folder, which no cleaner may follow, and two at a
# browser's folder, which are followed as moved browser data, in
# C:\vorlane-chromium-links\ (Wine programs cannot make links; rebuilt on every run):
#   Local\Chromium\User Data\
#     Local State             lists Default and "Profile 9"
#     Default\                a profile whose Network and Cache\Cache_Data are links
#       Network\      -> outside\Network        (holds a Cookies database)
#       Cache\Cache_Data\ -> outside\Cache_Data (holds cache files)
#       GPUCache\data_0                          (a plain cache file: it goes)
#     Profile 9\      -> outside\profile        (a whole profile elsewhere)
#       IndexedDB\http_linked.test_0.indexeddb.leveldb\ -> outside\indexeddb
#       IndexedDB\http_holds-link.test_0.indexeddb.leveldb\
#         000003.log           (a site's data: it goes)
#         inner\ -> outside\inner  (a link inside a site's folder)
#   Local\Microsoft\Edge\User Data\ -> outside\userdata (a whole User Data moved: cleaned)
#   Roaming\Opera Software\Opera Stable\ and Opera GX Stable\   (Opera's profiles)
#   Local\Opera Software\Opera Stable\ -> outside\operacache    (Opera's cache side moved: emptied)
#   Local\Opera Software\Opera GX Stable\Cache\
#     Cache_Data\ -> outside\Cache_Data
#     f_000002                (a plain cache file: it goes)
#   outside\                  must survive every box, but for the moved userdata and operacache
if [ -n "$prefix" ]; then
  links=$prefix/drive_c/vorlane-chromium-links
  rm -rf "$links"
  user=$links/Local/Chromium/User\ Data
  mkdir -p "$user/Default/Cache" "$user/Default/GPUCache" "$links/outside/Network" "$links/outside/Cache_Data"
  printf '{"profile":{"info_cache":{"Default":{},"Profile 9":{}}}}' >"$user/Local State"
  cp "$user_data/Default/Preferences" "$user/Default/"
  echo gpu >"$user/Default/GPUCache/data_0"
  cp "$user_data/Default/Network/Cookies" "$links/outside/Network/"
  echo cached >"$links/outside/Cache_Data/f_000001"
  cp -r "$user_data/Default" "$links/outside/profile"
  mkdir -p "$links/outside/userdata" "$links/Local/Microsoft/Edge"
  cp -r "$user_data/Default" "$links/outside/userdata/"
  ln -s ../../../../outside/Network "$user/Default/Network"
  ln -s ../../../../../outside/Cache_Data "$user/Default/Cache/Cache_Data"
  ln -s ../../../outside/profile "$user/Profile 9"
  ln -s ../../../outside/userdata "$links/Local/Microsoft/Edge/User Data"
  opera=$links/Local/Opera\ Software
  mkdir -p "$links/Roaming/Opera Software/Opera Stable" "$links/Roaming/Opera Software/Opera GX Stable" \
    "$opera/Opera GX Stable/Cache" "$links/outside/operacache/Cache"
  echo cached >"$links/outside/operacache/Cache/f_000001"
  echo cached >"$opera/Opera GX Stable/Cache/f_000002"
  ln -s ../../outside/operacache "$opera/Opera Stable"
  ln -s ../../../../outside/Cache_Data "$opera/Opera GX Stable/Cache/Cache_Data"
  indexeddb=$user/Default/IndexedDB
  mkdir -p "$indexeddb/http_holds-link.test_0.indexeddb.leveldb" "$links/outside/indexeddb" "$links/outside/inner"
  echo site >"$indexeddb/http_holds-link.test_0.indexeddb.leveldb/000003.log"
  echo canary >"$links/outside/indexeddb/000003.log"
  echo canary >"$links/outside/inner/canary.txt"
  ln -s ../../../../../outside/indexeddb "$indexeddb/http_linked.test_0.indexeddb.leveldb"
  ln -s ../../../../../../outside/inner "$indexeddb/http_holds-link.test_0.indexeddb.leveldb/inner"
fi
