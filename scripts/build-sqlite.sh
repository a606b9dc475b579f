#!/usr/bin/env bash
# Makes SQLite's amalgamation (sqlite3.c, sqlite3.h) from Debian's sqlite3
# source package, once per build tree, into BUILD_DIR/sqlite/amalgamation.
# Usage: scripts/build-sqlite.sh BUILD_DIR
#
# The source package is fetched by fetch-debian-source.sh (private apt state
# inside BUILD_DIR/sqlite). Once the amalgamation is there, nothing is fetched
# again (offline re-runs work). CMake compiles it with the cross compiler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
top=$build/sqlite
out=$top/amalgamation

if [ -s "$out/sqlite3.c" ] && [ -s "$out/sqlite3.h" ]; then
  exit 0
fi

fetch=$top/fetch
bash "$root/scripts/fetch-debian-source.sh" "$fetch" sqlite3
tree=$fetch/sqlite3

echo "Making the amalgamation of sqlite3 $(cat "$tree/debian-version")"
# Debian's patches are already applied by dpkg-source; the canonical source
# tree builds the amalgamation with the host compiler and tclsh (never the
# cross compiler that a calling CMake may have put in CC).
(cd "$tree" && env -u CFLAGS -u CPPFLAGS -u LDFLAGS CC=cc ./configure --disable-tcl >/dev/null &&
  env -u CFLAGS -u CPPFLAGS -u LDFLAGS make CC=cc -j"$(nproc)" sqlite3.c >/dev/null)

tmp=$top/amalgamation.tmp
rm -rf "$tmp"
mkdir -p "$tmp"
cp "$tree/sqlite3.c" "$tree/sqlite3.h" "$tmp/"
grep -m1 '^#define SQLITE_VERSION ' "$tmp/sqlite3.h" | awk '{print $3}' | tr -d '"' >"$tmp/VERSION"
rm -rf "$out"
mv "$tmp" "$out"
rm -rf "$fetch"
echo "SQLite $(cat "$out/VERSION") amalgamation in $out"
