#!/usr/bin/env bash
# Unpacks LevelDB and snappy from Debian's leveldb and snappy source packages
# (Debian's patches applied), once per build tree, into BUILD_DIR/leveldb/leveldb
# and BUILD_DIR/leveldb/snappy, keeping only the library sources, their
# licences and a VERSION file each (the Debian version). CMake compiles them
# with the cross compiler (cmake/Leveldb.cmake).
# Usage: scripts/build-leveldb.sh BUILD_DIR
#
# The packages are fetched by fetch-debian-source.sh (private apt state inside
# BUILD_DIR/leveldb). Once both folders are there, nothing is fetched again
# (offline re-runs work).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
top=$build/leveldb

if [ -s "$top/leveldb/VERSION" ] && [ -s "$top/snappy/VERSION" ]; then
  exit 0
fi

fetch=$top/fetch
bash "$root/scripts/fetch-debian-source.sh" "$fetch" leveldb snappy

tmp=$top/sources.tmp
rm -rf "$tmp"
mkdir -p "$tmp/leveldb" "$tmp/snappy/cmake"

# LevelDB: its headers and the library's folders, without tests, benchmarks
# and tools.
from=$fetch/leveldb
cp -r "$from/include" "$from/db" "$from/table" "$from/util" "$from/port" "$from/LICENSE" "$from/CMakeLists.txt" \
  "$tmp/leveldb/"
find "$tmp/leveldb" \( -name '*_test.cc' -o -name '*_test.c' -o -name 'testutil.*' \
  -o -name 'leveldbutil.cc' -o -name '*_bench*' \) -delete
cp "$from/debian-version" "$tmp/leveldb/VERSION"

# snappy: the library, the templates of its two generated headers, and
# CMakeLists.txt for its version number.
from=$fetch/snappy
cp "$from"/snappy.cc "$from"/snappy.h "$from"/snappy-internal.h "$from"/snappy-sinksource.* \
  "$from"/snappy-stubs-internal.* "$from"/snappy-stubs-public.h.in "$from/COPYING" "$from/CMakeLists.txt" \
  "$tmp/snappy/"
cp "$from/cmake/config.h.in" "$tmp/snappy/cmake/"
cp "$from/debian-version" "$tmp/snappy/VERSION"

rm -rf "$top/leveldb" "$top/snappy"
mv "$tmp/leveldb" "$tmp/snappy" "$top/"
rm -rf "$tmp" "$fetch"
echo "LevelDB $(cat "$top/leveldb/VERSION") and snappy $(cat "$top/snappy/VERSION") sources in $top"
