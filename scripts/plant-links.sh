#!/usr/bin/env bash
# Plants directory links in a test prefix's drive C. Programs running under Wine
# cannot create links themselves, so this runs on the Linux side, before the
# tests (CTest runs it as the "links" fixture, see tests/Fixtures.cmake).
#
# Usage: scripts/plant-links.sh WINEPREFIX [SET...]      (default sets: walk clean)
#
# Each SET gets its own copy, rebuilt from scratch on every run, so tests that
# delete through one copy never disturb another: "walk" belongs to the folder-walk
# tests, "clean" to the folder-cleaner tests. Layout of C:\vorlane-links\SET\
# (links are relative Unix symlinks, which Wine reports as directory + reparse
# point, attributes 0x410):
#
#   tree\                     the folder a walk or a cleaner is pointed at
#     plain.txt               an ordinary file (deletable)
#     top-link\   -> targets\top       link directly in the tree
#     empty-link\ -> targets\empty     link to an empty folder
#     sub\
#       inner.txt             an ordinary file (deletable)
#       nested-link\ -> targets\nested link one level down
#       dangling\   -> targets\missing link whose target does not exist
#       loop\       -> tree            link back to an ancestor (a cycle)
#   start-link\ -> targets\start       a link given as the start folder itself
#   targets\
#     top\canary.txt, top\deeper\canary.txt
#     nested\canary.txt
#     start\canary.txt, start\deeper\canary.txt
#     empty\                  an empty folder
#
# Everything under targets\ must survive any walk-and-delete of tree\ or
# start-link\. No file links are planted: Wine deletes a file link's target.
#
# Besides the sets, links out of browser folders, also rebuilt on every run:
#   C:\vorlane-links\users-link\ -> C:\users   a shell folder through it reaches
#                                              the user's own folders
#   C:\vorlane-links\firefox\AppData\Mozilla\Firefox\Profiles\ -> ..\..\..\outside
#                                              a Profiles folder that leads out of
#                                              the Firefox folder (outside\ starts empty)
set -euo pipefail
prefix=${1:?usage: plant-links.sh WINEPREFIX [SET...]}
shift
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(walk clean)
drive_c="$prefix/drive_c"
[ -d "$drive_c" ] || { echo "no drive_c in $prefix" >&2; exit 1; }

for set in "${sets[@]}"; do
  root="$drive_c/vorlane-links/$set"
  # rm -rf removes links without following them.
  rm -rf "$root"
  mkdir -p "$root/tree/sub" "$root/targets/top/deeper" "$root/targets/nested" \
           "$root/targets/start/deeper" "$root/targets/empty"
  printf 'x' >"$root/tree/plain.txt"
  printf 'x' >"$root/tree/sub/inner.txt"
  for canary in top/canary.txt top/deeper/canary.txt nested/canary.txt \
                start/canary.txt start/deeper/canary.txt; do
    printf 'canary' >"$root/targets/$canary"
  done
  ln -s ../targets/top "$root/tree/top-link"
  ln -s ../targets/empty "$root/tree/empty-link"
  ln -s ../../targets/nested "$root/tree/sub/nested-link"
  ln -s ../../targets/missing "$root/tree/sub/dangling"
  ln -s .. "$root/tree/sub/loop"
  ln -s targets/start "$root/start-link"
done

rm -f "$drive_c/vorlane-links/users-link"
ln -s ../users "$drive_c/vorlane-links/users-link"
firefox="$drive_c/vorlane-links/firefox"
rm -rf "$firefox"
mkdir -p "$firefox/AppData/Mozilla/Firefox" "$firefox/outside"
ln -s ../../../outside "$firefox/AppData/Mozilla/Firefox/Profiles"
