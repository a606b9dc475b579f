#!/usr/bin/env bash
# Plants, from the Linux side, what the IE folder-cleaner tests need and Wine
# programs cannot create themselves:
#
#   drive V:  -> C:\vorlane-drive      a drive whose root is a throwaway folder
#                                       (Wine keeps drive letters as symlinks in
#                                       dosdevices\)
#   drive U:  -> C:\vorlane-диск 日本 😀   the same, its folder named in Cyrillic,
#                                       CJK and an emoji
#   C:\vorlane-filelink\
#     tree\file-link.txt -> ..\outside\precious.txt   a file link in a cleaned folder
#     outside\precious.txt                            must survive any cleaning of tree\
#     temp\history.txt -> ..\outside\diary.txt      a history log that is a link
#     outside\diary.txt                               must survive passes and "Clear History Log"
#   C:\vorlane-guards\CASE\...\NAME -> ..\canaries\CASE
#                 a file link at each name beside a browser's store that the
#                 program or a database engine writes, renames or removes by
#                 name, each case in a folder of its own (the list below; the
#                 cases of tests/app/WriteGuardsTest.cpp); every canary must
#                 stay as it is, and a canary of a "-dangling" case, which
#                 the link leads to but which is not there, must not appear
#   C:\vorlane-scratch-links\
#     temp\vorlane-scratch\1-1-0 -> ..\..\outside\copies   a leftover copy folder that is a link
#     linked-temp\vorlane-scratch -> ..\outside             a scratch folder that is itself a link
#     outside\copies\History, outside\1-1-0\History        must survive any removal of leftovers
#
# Rebuilt from scratch on every run.
# Usage: scripts/plant-cleaner-fixtures.sh WINEPREFIX
set -euo pipefail
prefix=${1:?usage: plant-cleaner-fixtures.sh WINEPREFIX}
[ -d "$prefix/dosdevices" ] || { echo "no dosdevices in $prefix" >&2; exit 1; }
drive_c="$prefix/drive_c"

rm -rf "$drive_c/vorlane-drive"
mkdir -p "$drive_c/vorlane-drive"
ln -sfn ../drive_c/vorlane-drive "$prefix/dosdevices/v:"
unicode_drive="vorlane-диск 日本 😀"
rm -rf "$drive_c/$unicode_drive"
mkdir -p "$drive_c/$unicode_drive"
ln -sfn "../drive_c/$unicode_drive" "$prefix/dosdevices/u:"

# rm -rf removes links without following them.
rm -rf "$drive_c/vorlane-filelink"
mkdir -p "$drive_c/vorlane-filelink/tree" "$drive_c/vorlane-filelink/outside"
printf 'precious' >"$drive_c/vorlane-filelink/outside/precious.txt"
ln -s ../outside/precious.txt "$drive_c/vorlane-filelink/tree/file-link.txt"
mkdir -p "$drive_c/vorlane-filelink/temp"
printf 'dear diary' >"$drive_c/vorlane-filelink/outside/diary.txt"
ln -s ../outside/diary.txt "$drive_c/vorlane-filelink/temp/history.txt"

guards="$drive_c/vorlane-guards"
rm -rf "$guards"
mkdir -p "$guards/canaries"
while read -r case path; do
  mkdir -p "$(dirname "$guards/$case/$path")"
  case "$case" in
    *-dangling) ;;
    *) printf 'canary of %s' "$case" >"$guards/canaries/$case" ;;
  esac
  ln -sr "$guards/canaries/$case" "$guards/$case/$path"
done <<'CASES'
leveldb-LOG       Local/Google/Chrome/User Data/Default/Local Storage/leveldb/LOG
leveldb-LOG.old   Local/Google/Chrome/User Data/Default/Local Storage/leveldb/LOG.old
leveldb-log       Local/Google/Chrome/User Data/Default/Local Storage/leveldb/000001.log
history-journal   Local/Google/Chrome/User Data/Default/History-journal
preferences-new   Local/Google/Chrome/User Data/Default/Preferences.vorlane-new
places-wal        Roaming/Mozilla/Firefox/Profiles/real.default/places.sqlite-wal
places-journal    Roaming/Mozilla/Firefox/Profiles/real.default/places.sqlite-journal
serviceworker-new Roaming/Mozilla/Firefox/Profiles/real.default/serviceworker.txt.vorlane-new
history-log       temp/history.txt
history-journal-dangling Local/Google/Chrome/User Data/Default/History-journal
history-wal-dangling     Local/Google/Chrome/User Data/Default/History-wal
history-shm-dangling     Local/Google/Chrome/User Data/Default/History-shm
places-journal-dangling  Roaming/Mozilla/Firefox/Profiles/real.default/places.sqlite-journal
places-wal-dangling      Roaming/Mozilla/Firefox/Profiles/real.default/places.sqlite-wal
places-shm-dangling      Roaming/Mozilla/Firefox/Profiles/real.default/places.sqlite-shm
CASES

scratch="$drive_c/vorlane-scratch-links"
rm -rf "$scratch"
mkdir -p "$scratch/temp/vorlane-scratch" "$scratch/linked-temp" "$scratch/outside/copies" "$scratch/outside/1-1-0"
printf 'the user'"'"'s own' >"$scratch/outside/copies/History"
printf 'the user'"'"'s own' >"$scratch/outside/1-1-0/History"
ln -s ../../outside/copies "$scratch/temp/vorlane-scratch/1-1-0"
ln -s ../outside "$scratch/linked-temp/vorlane-scratch"
