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
# A mirror being synced makes one index fail now and then ("File has
# unexpected size ... Mirror sync in progress?"): try again after a pause, and
# if one index still fails, go on with what the others gave.
indexes_whole=yes
for attempt in 1 2 3; do
  if $SUDO apt-get update -qq; then break; fi
  if [ "$attempt" -eq 3 ]; then
    indexes_whole=no
    echo "apt-get update failed on some index three times; installing from the indexes it did read." >&2
  else
    sleep $((attempt * 20))
  fi
done
install() { $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
if install "${missing[@]}"; then exit 0; fi
[ "$indexes_whole" = no ] || exit 1
# Without one suite's index for i386 (the security suite's, typically), the
# libraries wine32 shares with the 64-bit system cannot be had at the same
# version in both: take the release's own suite for everything, and only the
# browsers from the security suite when it has them (their libraries are the
# 64-bit ones alone).
. /etc/os-release
suite=${VERSION_CODENAME:?}
chosen=()
for p in "${missing[@]}"; do
  case "$p" in
    firefox-esr|chromium)
      if apt-cache madison "$p" | grep -q "$suite-security"; then
        chosen+=("$p/$suite-security")
        [ "$p" = chromium ] && chosen+=("chromium-common/$suite-security")
        continue
      fi ;;
  esac
  chosen+=("$p")
done
echo "Installing from $suite, the browsers from $suite-security where it has them." >&2
install -t "$suite" "${chosen[@]}"
