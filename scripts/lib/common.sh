# What every script under scripts/ shares: where the checkout is, the package installer of setup.sh,
# one list of things to undo on exit, and one way to say "cannot run here" (exit status 77, which
# ctest and .ci/run read as "skipped", never as passed).
#   source "$(dirname "$0")/lib/common.sh"
# Then, as needed, source lib/display.sh (Xvfb, D-Bus, AT-SPI) and lib/accounts.sh (test accounts).

SEANCE_ROOT=${SEANCE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
# shellcheck source=../setup.sh
source "$SEANCE_ROOT/scripts/setup.sh"
SEANCE_SCRIPT=$(basename "$0" .sh)

# cannot_run_here WHY: this machine lacks what the script needs; nothing was checked.
cannot_run_here() {
  echo "$SEANCE_SCRIPT: cannot run here: $*" >&2
  exit 77
}
need_root() { [ "$(id -u)" -eq 0 ] || cannot_run_here "needs root ($*)"; }
need_command() {  # COMMAND WHY
  command -v "$1" >/dev/null 2>&1 || cannot_run_here "needs $1 ($2)"
}

# on_exit COMMAND...: run when the script ends, however it ends, the last registered first.
SEANCE_EXIT_ACTIONS=()
seance_run_exit_actions() {
  local i
  for ((i = ${#SEANCE_EXIT_ACTIONS[@]} - 1; i >= 0; i--)); do eval "${SEANCE_EXIT_ACTIONS[i]}" || true; done
  SEANCE_EXIT_ACTIONS=()
}
on_exit() {
  SEANCE_EXIT_ACTIONS+=("$*")
  trap seance_run_exit_actions EXIT
}
# stop_on_exit PID: the process is stopped when the script ends (if it still runs).
stop_on_exit() { on_exit "kill $1 2>/dev/null; wait $1 2>/dev/null"; }
