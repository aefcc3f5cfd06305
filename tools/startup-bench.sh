#!/usr/bin/env bash
# Start-up benchmark: the player's time to the first paint of its control bar against a
# one-window program's, started alternately in one Wine session; prints both medians and the
# ratio. Usage: tools/startup-bench.sh [RUNS]   (default 9)
set -euo pipefail
. "$(dirname "$0")/env.sh"
cmake -S "$ROOT" -B "$BUILD/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$BUILD/win" --target lumadisc startup_floor startup_bench -j "$(nproc)" >/dev/null
trap 'stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
cd "$BUILD/win"
wine tools/startup/startup_bench.exe src/lumadisc.exe tools/startup/startup_floor.exe "${1:-9}"
