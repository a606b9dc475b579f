#!/usr/bin/env bash
# Makes the Chromium History benchmark's databases with the Linux sqlite3 tool:
# the History of the tests' Chromium profile (its real schema), filled with
# 10,000 addresses, 100,000 visits with their annotations, search terms and
# visited links, and 100 downloads; three copies of it in BENCH_FOLDER:
#   Local/Google/Chrome/User Data/Default/History   for the cleaner
#   wine-plain/History                              for the plain DELETE under Wine
#   linux-plain/History                             for the sqlite3 tool
# Usage: scripts/make-history-bench.sh BUILD_DIR BENCH_FOLDER [VISITS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
bench=$2
visits=${3:-100000}
urls=$(( visits / 10 ))
bash "$root/scripts/make-chromium-profile.sh" "$build" >/dev/null
rm -rf "$bench"
profile="$bench/Local/Google/Chrome/User Data/Default"
mkdir -p "$profile" "$bench/wine-plain" "$bench/linux-plain"
cp "$build/chromium-profile/user-data/Default/History" "$profile/History"
cp "$build/chromium-profile/user-data/Local State" "$profile/.."
sqlite3 "$profile/History" >/dev/null <<SQL
PRAGMA journal_mode = DELETE;
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $urls)
INSERT INTO urls (url, title, visit_count, typed_count, last_visit_time, hidden)
SELECT 'https://history-secret-' || (i % 500) || '.example/page/' || i || '?q=' || hex(randomblob(8)),
       'history-secret page ' || i, 10, i % 7 = 0, 13400000000000000 + i, 0 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $visits)
INSERT INTO visits (url, visit_time, from_visit, transition, segment_id, visit_duration)
SELECT (SELECT min(id) FROM urls) + (i % $urls), 13400000000000000 + i, 0, 805306368, 0, 1000 FROM n;
INSERT OR IGNORE INTO context_annotations (visit_id, context_annotation_flags, duration_since_last_visit, page_end_reason)
SELECT id, 0, 1000, 3 FROM visits;
INSERT OR IGNORE INTO content_annotations (visit_id, visibility_score, page_topics_model_version, annotation_flags,
  has_url_keyed_image)
SELECT id, 1.0, 0, 0, 0 FROM visits;
INSERT INTO keyword_search_terms (keyword_id, url_id, term, normalized_term)
SELECT 2, id, 'history-secret ' || id, 'history-secret ' || id FROM urls WHERE typed_count > 0;
INSERT INTO visited_links (link_url_id, top_level_url, frame_url, visit_count)
SELECT id, 'https://top.example/', 'https://frame.example/', 1 FROM urls;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)
INSERT INTO downloads (id, guid, current_path, target_path, start_time, received_bytes, total_bytes, state,
  danger_type, interrupt_reason, hash, end_time, opened, last_access_time, transient, referrer, site_url,
  embedder_download_data, tab_url, tab_referrer_url, http_method, by_ext_id, by_ext_name, by_web_app_id, etag,
  last_modified, mime_type, original_mime_type)
SELECT 1000 + i, 'guid-' || i, 'C:\\d\\f' || i, 'C:\\d\\f' || i, 0, 1, 1, 1, 0, 0, X'', 0, 0, 0, 0, '', '', '',
       '', '', 'GET', '', '', '', '', '', '', '' FROM n;
COMMIT;
SQL
cp "$profile/History" "$bench/wine-plain/History"
cp "$profile/History" "$bench/linux-plain/History"
