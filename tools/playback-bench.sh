#!/usr/bin/env bash
# Playback benchmark: the real player plays a 720x576 title at rate 1 under Wine, with its sound
# and without; prints its CPU seconds per second beside the idle player's and the share sound
# adds, resident memory, and the time from Play to the first picture. It plays the film disc,
# whose picture costs what a real disc's does, then the sample disc, whose colour bars cost
# next to nothing to decode.
# PAIRS of runs with sound and without give the medians of what sound adds.
# Usage: tools/playback-bench.sh [SECONDS [PAIRS [DISC...]]]  (default 10, 1, film sample)
set -euo pipefail
. "$(dirname "$0")/env.sh"
seconds="${1:-10}" pairs="${2:-1}"
shift $(($# > 2 ? 2 : $#))
(($#)) || set -- film sample
logged build "$ROOT/tools/build.sh" lumadisc lumanav playback_bench present_drive
logged discs bash "$ROOT/tests/discs/make-discs.sh" "$BUILD/discs" "$@"
trap '"$ROOT/tools/present-drive.sh" d --remove >/dev/null 2>&1 || true; stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
cd "$BUILD/win"
for disc in "$@"; do
  "$ROOT/tools/present-drive.sh" d "$BUILD/discs/$disc" "LUMADISC_$(echo "$disc" | tr a-z A-Z)"
  echo "[ disc     ] $disc"
  LUMADISC_EXE="$BUILD/win/src/lumadisc.exe" wine tests/e2e/playback_bench.exe "$seconds" "$pairs"
  "$ROOT/tools/present-drive.sh" d --remove
done
