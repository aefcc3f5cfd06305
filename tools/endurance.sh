#!/usr/bin/env bash
# Endurance under Wine, in one process each, printing handles, GDI and USER objects, threads and
# memory as they go:
#   tools/endurance.sh cycles [N]     N graphs (default 1000) built on the sample disc, played,
#                                     jumped and torn down through the player's graph component
#   tools/endurance.sh loop [SECONDS] title 1 looped for SECONDS (default 3600), with the drift
#                                     of its pictures, pass by pass, and of the graph's clock
#                                     against wall time
#   tools/endurance.sh platform [N]   N cycles of the platform's filter graph and DirectSound
#                                     renderer (its clock woken once) alone, for comparison
set -euo pipefail
. "$(dirname "$0")/env.sh"
mode="${1:-cycles}"
logged build "$ROOT/tools/build.sh" lumanav endurance
discs="$BUILD/discs"
logged discs bash "$ROOT/tests/discs/make-discs.sh" "$discs"
trap 'stop_wine; stop_display' EXIT
start_display
"$ROOT/tools/prefix.sh"
case "$mode" in
  cycles) wine "$BUILD/win/src/endurance.exe" cycles "${2:-1000}" "Z:$discs/sample" ;;
  loop) wine "$BUILD/win/src/endurance.exe" loop "${2:-3600}" "Z:$discs/sample" ;;
  platform) wine "$BUILD/win/src/endurance.exe" platform "${2:-1000}" - ;;
  *) echo "usage: $0 cycles [N] | loop [SECONDS] | platform [N]" >&2; exit 2 ;;
esac
