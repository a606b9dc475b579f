# Sourced: one Wine session for a build tree, inside a private Xvfb.
#   vorlane_start_session BUILD_DIR   quiet Wine settings, Xvfb, the build tree's
#                                     sandboxed prefix (made once, see
#                                     make-prefix.sh), a warm wineserver and
#                                     Wine's background services
#   vorlane_stop_session              ends the wineserver and the Xvfb
vorlane_session_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$vorlane_session_scripts/xvfb.sh"

vorlane_start_session() {
  source "$vorlane_session_scripts/wine-env.sh" "$1"
  vorlane_start_xvfb
  bash "$vorlane_session_scripts/make-prefix.sh" "$WINEPREFIX" "$vorlane_build_dir"
  # One warm wineserver for the whole session: each program then starts in ~0.05 s.
  wineserver -p
  # Start Wine's own background services now, with their output going nowhere:
  # started by a test, they would hold CTest's output pipe open after it ends.
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

vorlane_stop_session() {
  wineserver -k 2>/dev/null || true
  vorlane_stop_xvfb
}
