#!/usr/bin/env bash
# Fetches Debian source packages and unpacks each, with Debian's patches
# applied, into WORK_DIR/PACKAGE (replacing what was there), with the
# package's Debian version in WORK_DIR/PACKAGE/debian-version.
# Usage: scripts/fetch-debian-source.sh WORK_DIR PACKAGE...
#
# apt runs with a private configuration whose lists and cache live in
# WORK_DIR/apt: the machine's own apt state is never read or written. The
# callers keep what they need from the unpacked trees and delete WORK_DIR, so
# a build tree fetches a package only once.
set -euo pipefail
work=$(mkdir -p "$1" && cd "$1" && pwd)
shift

apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$apt_dir/prefs"

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
echo "Fetching Debian's source packages: $*"
apt-get "${apt_opts[@]}" update

for package in "$@"; do
  download=$work/download-$package
  rm -rf "$download" "${work:?}/$package"
  mkdir -p "$download"
  (cd "$download" && apt-get "${apt_opts[@]}" source --download-only "$package" >/dev/null)
  dsc=$(ls "$download/${package}"_*.dsc | head -n1)
  # apt has checked every file against the signed index it came from.
  dpkg-source --no-check -x "$dsc" "$work/$package" >/dev/null
  basename "$dsc" .dsc | sed 's/^[^_]*_//' >"$work/$package/debian-version"
  # dpkg-source leaves the upstream tarball beside the tree.
  rm -rf "$download" "$work/${package}"_*
done
