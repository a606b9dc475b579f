#!/usr/bin/env bash
# Maps drive V: of a test prefix to the folder C:\vorlane-drive, so that a test
# can run with its current directory on a drive whose root is a throwaway
# folder. Wine keeps its drive letters as symlinks in dosdevices\, which only
# the Linux side can create.
#
# Usage: scripts/plant-drive.sh WINEPREFIX
set -euo pipefail
prefix=${1:?usage: plant-drive.sh WINEPREFIX}
[ -d "$prefix/dosdevices" ] || { echo "no dosdevices in $prefix" >&2; exit 1; }
rm -rf "$prefix/drive_c/vorlane-drive"
mkdir -p "$prefix/drive_c/vorlane-drive"
ln -sfn ../drive_c/vorlane-drive "$prefix/dosdevices/v:"
