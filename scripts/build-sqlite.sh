#!/usr/bin/env bash
# Makes SQLite's amalgamation (sqlite3.c, sqlite3.h) from Debian's sqlite3
# source package, once per build tree, into BUILD_DIR/sqlite/amalgamation.
# Usage: scripts/build-sqlite.sh BUILD_DIR
#
# The source package is fetched with a private apt configuration whose lists
# and cache live inside BUILD_DIR/sqlite/apt: the machine's own apt state is
# never read or written. Once the amalgamation is there, nothing is fetched
# again (offline re-runs work). CMake compiles it with the cross compiler.
set -euo pipefail
build=$(mkdir -p "$1" && cd "$1" && pwd)
top=$build/sqlite
out=$top/amalgamation

if [ -s "$out/sqlite3.c" ] && [ -s "$out/sqlite3.h" ]; then
  exit 0
fi

apt_dir=$top/apt
src_dir=$top/source
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/prefs"
rm -rf "$src_dir"
mkdir -p "$src_dir"

# One deb-src line for every Debian suite this machine installs from
# (its release, updates and security), at the same address.
apt-get indextargets --format '$(REPO_URI) $(CODENAME)' 'Created-By: Packages' 'Origin: Debian' |
  sort -u | while read -r uri suite; do
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $suite main"
  done >"$apt_dir/sources.list"
if [ ! -s "$apt_dir/sources.list" ]; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $codename main" \
    >"$apt_dir/sources.list"
fi

apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::Etc::PreferencesParts=$apt_dir/prefs"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=$(id -un)"
  -qq
)
echo "Fetching Debian's sqlite3 source package"
apt-get "${apt_opts[@]}" update
(cd "$src_dir" && apt-get "${apt_opts[@]}" source --download-only sqlite3 >/dev/null)
dsc=$(ls "$src_dir"/sqlite3_*.dsc | head -n1)
# apt has checked every file against the signed index it came from.
dpkg-source --no-check -x "$dsc" "$src_dir/tree" >/dev/null

echo "Making the amalgamation of $(basename "$dsc" .dsc)"
tree=$src_dir/tree
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
rm -rf "$src_dir" "$apt_dir"
echo "SQLite $(cat "$out/VERSION") amalgamation in $out"
