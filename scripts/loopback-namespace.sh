# Sourced by the scripts that make the tests' browser profiles.
# in_loopback_namespace COMMAND...: runs the command in a new network namespace
# with only loopback up, so a browser and the test site it visits can reach
# nothing else.
in_loopback_namespace() {
  local inner="ip link set lo up && $*"
  if [ "$(id -u)" -eq 0 ]; then
    unshare -n bash -c "$inner"
  else
    unshare -rn bash -c "$inner"
  fi
}
