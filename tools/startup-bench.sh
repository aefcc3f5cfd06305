#!/usr/bin/env bash
# Start-up benchmark: the player's time to the first paint of its control bar against a
# one-window program's, started alternately in one Wine session; prints both medians and the
# ratio. Usage: tools/startup-bench.sh [RUNS]   (default 9)
set -euo pipefail
. "$(dirname "$0")/env.sh"
logged build "$ROOT/tools/build.sh" lumadisc startup_floor startup_bench
trap 'stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
cd "$BUILD/win"
wine tools/startup/startup_bench.exe src/lumadisc.exe tools/startup/startup_floor.exe "${1:-9}"
