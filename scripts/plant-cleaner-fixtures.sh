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
