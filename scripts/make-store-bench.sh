#!/usr/bin/env bash
# Makes the big stores of the store benchmark (bench/StoreBench.cpp), each in
# a folder of its own below BENCH_FOLDER: Local/ and Roaming/ hold it where
# the browser keeps it, plain/ an identical copy for the plain change.
#   chromium-history  the tests' Chromium History with 100,000 visits (make-history-bench.sh)
#   firefox-places    the tests' Firefox places.sqlite with 1.6 million visits of 160,000 pages
#   local-storage     50 MB of Local Storage (written by StoreBench.exe with LevelDB)
#   preferences       a Preferences of 30 MB, mostly the sites' engagement
# Usage: scripts/make-store-bench.sh BUILD_DIR BENCH_FOLDER STORE   (inside a Wine session)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
bench=$2/$3
chrome="$bench/Local/Google/Chrome/User Data"
rm -rf "$bench"

chromium_profile() {
  bash "$root/scripts/make-chromium-profile.sh" "$build" >/dev/null
  mkdir -p "$chrome/Default" "$bench/plain"
  cp "$build/chromium-profile/user-data/Local State" "$chrome/"
}

case $3 in
chromium-history)
  bash "$root/scripts/make-history-bench.sh" "$build" "$bench"
  mv "$bench/wine-plain" "$bench/plain"
  rm -rf "$bench/linux-plain"
  ;;
firefox-places)
  bash "$root/scripts/make-firefox-profile.sh" "$build" >/dev/null
  firefox="$bench/Roaming/Mozilla/Firefox"
  mkdir -p "$firefox/Profiles/bench.default" "$bench/plain"
  printf '[Profile0]\r\nName=bench\r\nIsRelative=1\r\nPath=Profiles/bench.default\r\nDefault=1\r\n' >"$firefox/profiles.ini"
  places="$firefox/Profiles/bench.default/places.sqlite"
  cp "$build/firefox-profile/profile/places.sqlite" "$places"
  sqlite3 "$places" >/dev/null <<'SQL'
PRAGMA journal_mode = WAL;
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 160000)
INSERT INTO moz_places (url, title, rev_host, visit_count, hidden, typed, frecency, last_visit_date, guid, url_hash)
SELECT 'https://history-secret-' || (i % 500) || '.example/page/' || i, 'history-secret page ' || i,
       'elpmaxe.' || (i % 500) || '-terces-yrotsih.', 10, 0, i % 7 = 0, 100, 1700000000000000 + i,
       printf('b%011d', i), i FROM n;
INSERT INTO moz_historyvisits (from_visit, place_id, visit_date, visit_type, session, source)
SELECT 0, p.id, 1700000000000000 + p.id * 10 + k.i, 1, 0, 0
FROM moz_places p, (WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 10) SELECT i FROM k) k
WHERE p.guid LIKE 'b%';
COMMIT;
PRAGMA wal_checkpoint(TRUNCATE);
SQL
  cp "$places" "$bench/plain/places.sqlite"
  ;;
local-storage)
  chromium_profile
  mkdir -p "$chrome/Default/Local Storage"
  wine "$build/StoreBench.exe" build-local-storage "$(winepath -w "$bench")" 50
  ;;
preferences)
  chromium_profile
  python3 - "$chrome/Default/Preferences" <<'PY'
import json, sys
engagement = {}
i = 0
text = ""
while len(text) < 30 * 1024 * 1024:
    for _ in range(20000):
        engagement[f"https://site-{i}.example:443,*"] = {
            "last_modified": "13370000000000000",
            "setting": {"lastEngagementTime": 13370000000000000.0 + i, "lastShortcutLaunchTime": 0.0,
                        "pointsAddedToday": 1.5, "rawScore": 3.5},
        }
        i += 1
    text = json.dumps({"profile": {"content_settings": {"exceptions": {"site_engagement": engagement}}},
                       "bookmark_bar": {"show_on_all_tabs": True}})
open(sys.argv[1], "w").write(text)
PY
  cp "$chrome/Default/Preferences" "$bench/plain/Preferences"
  ;;
*)
  echo "no such store: $3" >&2
  exit 2
  ;;
esac
