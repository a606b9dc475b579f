# Sourced: starts one Xvfb on a free display and exports DISPLAY; vorlane_stop_xvfb stops it.
vorlane_start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VORLANE_XVFB_PID=$!
  local n
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
}
vorlane_stop_xvfb() {
  if [ -n "${VORLANE_XVFB_PID:-}" ]; then
    kill "$VORLANE_XVFB_PID" 2>/dev/null || true
    wait "$VORLANE_XVFB_PID" 2>/dev/null || true
    VORLANE_XVFB_PID=""
  fi
}
