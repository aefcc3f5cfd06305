#!/usr/bin/env bash
# Builds the Windows program, the navigator DLL and the tests (cross), and the navigator's
# portable core with its native tests.
set -euo pipefail
. "$(dirname "$0")/env.sh"
jobs="$(nproc)"
"$ROOT/tools/ffmpeg.sh"
cmake -S "$ROOT" -B "$BUILD/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DLUMADISC_FFMPEG="$BUILD/ffmpeg-win" >/dev/null
cmake --build "$BUILD/win" -j "$jobs"
if [ "${1:-}" != "--win-only" ]; then
  cmake -S "$ROOT" -B "$BUILD/native" >/dev/null
  cmake --build "$BUILD/native" -j "$jobs"
fi
