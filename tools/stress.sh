#!/usr/bin/env bash
# Stress run: the real player under ACTIONS seeded random actions with real input (see
# tests/e2e/stress/stress.cpp), on the sample disc as drive D:. Prints the seed, every action
# and the player's memory at the start and the end; SEED repeats a run.
# Usage: tools/stress.sh [ACTIONS [SEED]]   (default 3000 actions, a fresh seed; LUMADISC_EXE
# names another build of the player)
set -euo pipefail
. "$(dirname "$0")/env.sh"
logged build "$ROOT/tools/build.sh" lumadisc lumanav e2e_stress present_drive
logged discs bash "$ROOT/tests/discs/make-discs.sh" "$BUILD/discs" sample
trap '"$ROOT/tools/present-drive.sh" d --remove >/dev/null 2>&1 || true; stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
"$ROOT/tools/present-drive.sh" d "$BUILD/discs/sample" LUMADISC_SAMPLE
mkdir -p "$BUILD/screenshots"
cd "$BUILD/win"
LUMADISC_EXE="${LUMADISC_EXE:-$BUILD/win/src/lumadisc.exe}" LUMADISC_SHOTS="$BUILD/screenshots" wine tests/e2e/e2e_stress.exe "${1:-3000}" ${2:+"$2"}
