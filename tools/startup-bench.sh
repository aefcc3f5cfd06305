#!/usr/bin/env bash
# Start-up benchmark: the player's time to the first paint of its control bar against a
# one-window program's, started alternately in one Wine session; prints both medians and the
# ratio. Usage: tools/startup-bench.sh [RUNS] [CPU]   (default 9 runs)
# With CPU, the session (a display of its own, Wine's server, both programs) keeps to that one
# processor: on a busy machine a start then never waits for a second one to come free, which
# otherwise makes the figures jump. Each server call then costs a switch, which weighs on the
# player more than on the floor.
set -euo pipefail
. "$(dirname "$0")/env.sh"
logged build "$ROOT/tools/build.sh" lumadisc startup_floor startup_bench
if [ -n "${2:-}" ]; then
  taskset -cp "$2" $$ >/dev/null
  unset DISPLAY
fi
trap 'stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
cd "$BUILD/win"
wine tools/startup/startup_bench.exe src/lumadisc.exe tools/startup/startup_floor.exe "${1:-9}"
