#!/usr/bin/env bash
# Playback benchmark: the real player plays the sample disc's 720x576 title at rate 1 under
# Wine, with its sound and without; prints its CPU seconds per second beside the idle player's
# and the share sound adds, resident memory, and the time from Play to the first picture.
# Usage: tools/playback-bench.sh [SECONDS]  (default 10)
set -euo pipefail
. "$(dirname "$0")/env.sh"
logged build "$ROOT/tools/build.sh" lumadisc lumanav playback_bench present_drive
logged discs bash "$ROOT/tests/discs/make-discs.sh" "$BUILD/win/discs"
trap '"$ROOT/tools/present-drive.sh" d --remove; stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
"$ROOT/tools/present-drive.sh" d "$BUILD/win/discs/sample" LUMADISC_SAMPLE
cd "$BUILD/win"
LUMADISC_EXE="$BUILD/win/src/lumadisc.exe" wine tests/e2e/playback_bench.exe "${1:-10}"
