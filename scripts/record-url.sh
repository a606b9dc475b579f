#!/bin/sh
# Stands in for the Linux web browser and mail program in the test prefixes
# (scripts/make-prefix.sh names it in HKCU\Software\Wine\WineBrowser): Wine's
# winebrowser.exe hands every URL a program opens to it. It appends the URL to
# C:\vorlane-browser.log of the prefix and starts nothing.
printf '%s\n' "$*" >>"${WINEPREFIX:?}/drive_c/vorlane-browser.log"
