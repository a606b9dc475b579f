#!/usr/bin/env bash
# Builds the benchmark programs and runs every one of them under Wine, in the
# test prefix (a sandbox, never your own ~/.wine), inside a private Xvfb.
# Usage: scripts/bench.sh [files-per-folder]    (default 100: 50,000 files in 500 folders)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build" -DVORLANE_BENCH=ON

source "$root/scripts/wine-session.sh"
trap vorlane_stop_session EXIT
vorlane_start_session "$build"
bench_root="$WINEPREFIX/drive_c/vorlane-bench"

echo "== URL cache"
wine "$build/UrlCacheBench.exe"
echo "== Balloon wait"
wine "$build/BalloonWaitBench.exe"
echo "== Copy History To Clipboard"
wine "$build/ClipboardBench.exe"

echo "== Chrome and Edge History: 100,000 visits, the cleaner against a plain DELETE"
history_bench="$WINEPREFIX/drive_c/vorlane-bench-chromium"
bash "$root/scripts/make-history-bench.sh" "$build" "$history_bench"
sync
# Printed from a variable: `tee /dev/stderr` would reopen a log file that the
# output is redirected to and cut away everything printed before.
history_output=$(wine "$build/ChromiumHistoryBench.exe" 'C:\vorlane-bench-chromium')
echo "$history_output"
cleaner=$(awk '/^cleaner-seconds/ {print $2}' <<<"$history_output")
# The same DELETE statements with the Linux sqlite3 tool, as it is set up
# (Debian builds it with secure_delete on by default), in one transaction.
plain_db="$history_bench/linux-plain/History"
deletes=$(sqlite3 "$plain_db" "SELECT 'DELETE FROM \"' || name || '\";' FROM sqlite_master WHERE type = 'table'
  AND name NOT LIKE 'sqlite_%' AND name <> 'meta' AND name NOT LIKE 'downloads%'")
start=$(date +%s.%N)
sqlite3 "$plain_db" "BEGIN; $deletes COMMIT;"
linux=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')
echo "plain DELETE with the Linux sqlite3 tool (secure_delete $(sqlite3 :memory: 'PRAGMA secure_delete')): ${linux} s"
awk -v c="$cleaner" -v l="$linux" 'BEGIN { printf "cleaner / sqlite3 tool: %.2f\n", c / l }'
rm -rf "$history_bench"

echo "== Chrome profiles: a Local State listing 10,000 profiles against one listing 1"
profiles_bench="$WINEPREFIX/drive_c/vorlane-bench-profiles"
bash "$root/scripts/make-chromium-profile.sh" "$build" >/dev/null
python3 "$root/scripts/make-profiles-bench.py" "$build/chromium-profile/user-data" "$profiles_bench" 10000
sync
wine "$build/ChromiumProfilesBench.exe" 'C:\vorlane-bench-profiles' 10000
rm -rf "$profiles_bench"

echo "== Firefox profiles: a profiles.ini listing 10,000 profiles against one listing 1"
firefox_bench="$WINEPREFIX/drive_c/vorlane-bench-firefox"
rm -rf "$firefox_bench"
wine "$build/FirefoxProfilesBench.exe" 'C:\vorlane-bench-firefox' 10000
rm -rf "$firefox_bench"

echo "== Folder deletion: the real pass against the plain loop; the preview against a plain walk"
wine "$build/FolderDeleteBench.exe" build "$@"
# Let the disk finish writing the new files, so neither deletion pays for it.
sync
sleep 2
wine "$build/FolderDeleteBench.exe" measure

# N files in one folder against N files in FOLDERS folders, made from the
# Linux side (see bench/FolderDeleteBench.cpp for why).
one_folder_case() {
  local files=$1 folders=$2
  echo "== Folder deletion: $files files in one folder against $folders folders"
  rm -rf "$bench_root"
  python3 - "$bench_root" "$files" "$folders" <<'PY'
import os, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(os.path.join(root, "one"))
for i in range(files):
    with open(os.path.join(root, "one", f"file{i}.tmp"), "wb") as f:
        f.write(b"cached data")
for k in range(folders):
    folder = os.path.join(root, "spread", f"f{k}")
    os.makedirs(folder)
    for i in range(files // folders):
        with open(os.path.join(folder, f"file{i}.tmp"), "wb") as f:
            f.write(b"cached data")
PY
  sync
  sleep 2
  wine "$build/FolderDeleteBench.exe" measure-one
}
one_folder_case 30000 60
one_folder_case 100000 500

echo "== Auto-delete countdown: processor time with auto delete on against idle"
wine "$build/CountdownCostBench.exe" 60

echo "== Close watch: processor time with three running browsers watched against nothing watched"
rm -rf "$WINEPREFIX/drive_c/vorlane-bench-closewatch"
wine "$build/CloseWatchCostBench.exe" 60
rm -rf "$WINEPREFIX/drive_c/vorlane-bench-closewatch"
