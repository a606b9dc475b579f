# Sourced by the other scripts: the quiet, throwaway Wine set-up of one build tree.
# Usage: source scripts/wine-env.sh BUILD_DIR
vorlane_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$vorlane_build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
