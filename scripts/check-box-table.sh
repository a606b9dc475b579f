#!/usr/bin/env bash
# README's table of what each box deletes and keeps is made from the program's
# own words (tests/boxtable/BoxTable.cpp prints it): this compares the two and
# fails when they differ; with --write it puts the printed table into README.
# Usage: scripts/check-box-table.sh BUILD_DIR [--write]   (WINEPREFIX set, as by scripts/test.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: check-box-table.sh BUILD_DIR [--write]}
readme=$root/README.md
begin='<!-- box table: made by scripts/check-box-table.sh --write -->'
end='<!-- end of box table -->'
printed=$(wine "$build/vorlane_box_table.exe" | tr -d '\r')
if [ "${2:-}" = "--write" ]; then
  python3 - "$readme" "$begin" "$end" "$printed" <<'PY'
import sys
path, begin, end, table = sys.argv[1:]
text = open(path, encoding="utf-8").read()
head, rest = text.split(begin + "\n", 1)
_, tail = rest.split(end, 1)
open(path, "w", encoding="utf-8").write(head + begin + "\n" + table + "\n" + end + tail)
PY
  exit 0
fi
current=$(sed -n "\\|$begin|,\\|$end|p" "$readme" | sed '1d;$d')
if [ "$current" != "$printed" ]; then
  echo "README's box table differs from the program's words; run: scripts/check-box-table.sh $build --write" >&2
  diff <(echo "$current") <(echo "$printed") >&2 || true
  exit 1
fi
