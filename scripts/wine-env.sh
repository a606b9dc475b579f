# Sourced by the other scripts: the quiet, sandboxed Wine set-up of one prefix.
# Usage: source scripts/wine-env.sh BUILD_DIR           the build tree's prefix
#        source scripts/wine-env.sh --prefix PREFIX     any other prefix
#
# The Linux home is kept out of reach: Wine links a shell folder it has to create
# (Documents, Desktop, ...) to the home folder or to an XDG folder named in the
# user's user-dirs.dirs, but only when that target exists. With a home that does
# not exist, and no XDG configuration folder, it makes a real folder instead.
vorlane_wine_env() {
  export WINEPREFIX=$1
  export WINEARCH=win32
  export WINEDEBUG=-all
  # No .NET, no Gecko, and no menu entries or file associations written to the
  # Linux desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export HOME=$WINEPREFIX/no-home
  unset XDG_CONFIG_HOME
}

if [ "${1:-}" = "--prefix" ]; then
  vorlane_wine_env "$2"
else
  vorlane_build_dir=$(cd "$1" && pwd)
  vorlane_wine_env "$vorlane_build_dir/wineprefix"
fi
