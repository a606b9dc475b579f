#!/usr/bin/env bash
# Makes a real Firefox profile once per build tree (BUILD_DIR/firefox-profile),
# with firefox-esr driven headless inside a network namespace that has only
# loopback, then plants a copy of it in the test prefix's drive C as
# C:\vorlane-firefox-profile\ (replaced on every run).
# HOME and the cache folders point into the build tree: the user's own
# ~/.mozilla is never read or written.
# Usage: scripts/make-firefox-profile.sh BUILD_DIR [WINEPREFIX]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=${2:-}
top=$build/firefox-profile
profile=$top/profile

source "$root/scripts/loopback-namespace.sh"

# Made again when the scripts that make it changed (or BUILD_DIR/firefox-profile/made is deleted).
stamp=$(cat "$root"/tests/firefox/profile/*.py "$root"/tests/support/{test_site,visited_sites,kept_addon}.py "$root/tests/support/no_trace.py" \
  "$root"/tests/support/addon/* | sha1sum | cut -d" " -f1)
if [ "$(cat "$top/made" 2>/dev/null)" != "$stamp" ]; then
  command -v firefox-esr >/dev/null || { echo "firefox-esr is not installed (scripts/install-deps.sh)" >&2; exit 1; }
  rm -rf "$top"
  mkdir -p "$top"
  echo "Making a Firefox profile with firefox-esr $(firefox-esr --version 2>/dev/null | awk '{print $3}')"
  start=$(date +%s)
  in_loopback_namespace "python3 -B '$root/tests/firefox/profile/make_profile.py' '$profile' '$top/work'"
  rm -f "$profile/lock" "$profile/.parentlock"
  # Firefox on Windows keeps its startup cache under Local AppData, not in the
  # profile; it is tens of megabytes that every test copy would carry.
  rm -rf "$profile/startupCache"
  echo "$stamp" >"$top/made"
  echo "Firefox profile made in $(( $(date +%s) - start )) s: $profile"
fi

if [ -n "$prefix" ]; then
  target=$prefix/drive_c/vorlane-firefox-profile
  rm -rf "$target"
  mkdir -p "$target"
  cp -r "$profile/." "$target/"
fi
