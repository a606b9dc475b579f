#!/usr/bin/env bash
# Builds the benchmark programs and runs every one of them under Wine, in the
# test prefix (a sandbox, never your own ~/.wine), inside a private Xvfb.
# Usage: scripts/bench.sh [files-per-folder]    (default 100: 50,000 files in 500 folders)
#        VORLANE_BENCH_ONLY=folders scripts/bench.sh    the folder deletion alone
#        VORLANE_BENCH_ONLY=stores scripts/bench.sh     the big stores alone
#        VORLANE_BENCH_ONLY=deep scripts/bench.sh       the 1,000-deep tree alone
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORLANE_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" "$build" -DVORLANE_BENCH=ON

# Three rounds of the folder deletion: the real pass against the plain loop
# (and, in the first, the preview against a plain walk).
folder_rounds() {
  echo "== Folder deletion: the real pass against the plain loop, three rounds; the preview against a plain walk"
  local folder_ratios=() folder_longest=() round ratio preview pass_output plain_output
  flushed() { sync; sleep 2; "$@"; }
  for round in 1 2 3; do
    wine "$build/FolderDeleteBench.exe" build "$@"
    # Each deletion starts on a disk that has finished writing what came
    # before it (the new files, the other deletion).
    preview=$([ "$round" = 1 ] && echo preview || true)
    if [ $((round % 2)) = 1 ]; then
      pass_output=$(flushed wine "$build/FolderDeleteBench.exe" measure-pass $preview)
      plain_output=$(flushed wine "$build/FolderDeleteBench.exe" measure-plain)
    else
      plain_output=$(flushed wine "$build/FolderDeleteBench.exe" measure-plain)
      pass_output=$(flushed wine "$build/FolderDeleteBench.exe" measure-pass $preview)
    fi
    echo "round $round ($([ $((round % 2)) = 1 ] && echo 'the pass' || echo 'the plain loop') first):"
    printf '%s\n%s\n' "$plain_output" "$pass_output" | grep -v -- '-seconds '
    ratio=$(awk -v a="$(awk '/^plain-seconds/ {print $2}' <<<"$plain_output")" \
                -v b="$(awk '/^pass-seconds/ {print $2}' <<<"$pass_output")" 'BEGIN { printf "%.2f", a / b }')
    echo "ratio b/a (files per second): $ratio"
    folder_ratios+=("$ratio")
    folder_longest+=("$(sed -n 's/.*longest \([0-9.]*\) ms.*/\1/p' <<<"$pass_output")")
  done
  echo "rounds b/a: ${folder_ratios[*]}; median $(printf '%s\n' "${folder_ratios[@]}" | sort -n | sed -n 2p)" \
       "(goal 0.80 or more)"
  echo "longest window answer in each round (ms): ${folder_longest[*]} (goal at most 100)"
  rm -rf "$bench_root"
}

# The big stores, each changed by a click on the real window, against the
# plain change of an identical copy in the same run.
store_rounds() {
  echo "== Big stores: the real pass clicked on the window against the plain change through the same engine"
  local store stores_root="$WINEPREFIX/drive_c/vorlane-bench-stores"
  for store in chromium-history firefox-places local-storage preferences; do
    bash "$root/scripts/make-store-bench.sh" "$build" "$stores_root" "$store"
    sync
    sleep 2
    wine "$build/StoreBench.exe" 'C:\vorlane-bench-stores\'"$store" "$store"
    rm -rf "$stores_root/$store"
  done
}

# A tree 1,000 folders deep, a file in each, twice: the pass over one against
# the plain loop over the other, made from the Linux side (Wine would take as
# long to make them as to delete them).
deep_tree_case() {
  echo "== Folder deletion: a tree 1,000 folders deep, the pass against the plain loop"
  rm -rf "$bench_root"
  python3 - "$bench_root" 1000 <<'PY'
import os, sys
root, depth = sys.argv[1], int(sys.argv[2])
for tree in ("deep-plain", "deep-cleaner"):
    folder = os.path.join(root, tree)
    os.makedirs(folder)
    for _ in range(depth):
        folder = os.path.join(folder, "d")
        os.mkdir(folder)
        with open(os.path.join(folder, "f.tmp"), "wb") as f:
            f.write(b"cached data")
PY
  sync
  sleep 2
  wine "$build/FolderDeleteBench.exe" measure-deep
  rm -rf "$bench_root"
}

source "$root/scripts/wine-session.sh"
trap vorlane_stop_session EXIT
vorlane_start_session "$build"
bench_root="$WINEPREFIX/drive_c/vorlane-bench"
# VORLANE_BENCH_ONLY=folders: the folder deletion's three rounds alone;
# VORLANE_BENCH_ONLY=stores: the big stores alone.
case ${VORLANE_BENCH_ONLY:-} in
  folders) folder_rounds "$@"; exit 0 ;;
  deep) deep_tree_case; exit 0 ;;
  stores) store_rounds; exit 0 ;;
esac

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

folder_rounds "$@"
store_rounds

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
deep_tree_case

echo "== Auto-delete countdown: processor time with auto delete on against idle"
wine "$build/CountdownCostBench.exe" 60

echo "== Close watch: processor time with three running browsers watched against nothing watched"
rm -rf "$WINEPREFIX/drive_c/vorlane-bench-closewatch"
wine "$build/CloseWatchCostBench.exe" 60
rm -rf "$WINEPREFIX/drive_c/vorlane-bench-closewatch"
