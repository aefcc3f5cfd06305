#!/usr/bin/env bash
# Sound against picture over a long title: the navigator plays a disc that flashes and beeps at
# the start of every second, ten minutes long, to its end in the platform's graph under Wine;
# prints how far each beep's stream time lies from its flash's, first, last and worst (the
# tests play eight seconds of a short one). Usage: tools/sync-bench.sh [SECONDS]  (default 600)
set -euo pipefail
. "$(dirname "$0")/env.sh"
seconds="${1:-600}"
logged build "$ROOT/tools/build.sh" lumanav navigator_dll_tests
logged discs bash "$ROOT/tests/discs/make-discs.sh" "$BUILD/discs" sync600
trap 'stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
LUMANAV_TEST_DISCS="Z:$BUILD/discs" LUMANAV_DLL="Z:$BUILD/win/src/lumanav.dll" \
  LUMANAV_SYNC_DISC=sync600 LUMANAV_SYNC_SECONDS="$seconds" \
  wine "$BUILD/win/tests/navdll/navigator_dll_tests.exe" --gtest_filter='SoundSync.*' | grep -E 'figures|OK|FAILED'
