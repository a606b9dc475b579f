#!/usr/bin/env bash
# Installs everything needed to build, run and test Vorlane on Debian/Ubuntu.
# Safe to run any number of times: packages that are already there are skipped.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  cmake make
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386
  xvfb xauth x11-utils xdotool imagemagick
  googletest
  fonts-liberation fonts-wine fonts-wqy-microhei
  nsis
  python3
  publicsuffix          # the Public Suffix List, made into a table at build time
  tcl dpkg-dev          # SQLite's amalgamation from Debian's source package
  firefox-esr iproute2  # the tests' Firefox profile, made in a loopback-only namespace
  chromium              # the tests' Chromium profile, made the same way
  nlohmann-json3-dev    # JSON (header-only): the Chromium browsers' Local State
  sqlite3               # the Chromium benchmark's plain DELETE, on the Linux side
  clang-format-14       # the code's layout, checked by the CTest test format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
