#!/usr/bin/env bash
# Builds for Windows (cross) and the navigator's portable core natively.
# Usage: tools/build.sh             everything: program, navigator DLL, tests; native core and tests
#        tools/build.sh TARGET...   only these Windows targets and what they need
set -euo pipefail
. "$(dirname "$0")/env.sh"
jobs="$(nproc)"
"$ROOT/tools/ffmpeg.sh"
cmake -S "$ROOT" -B "$BUILD/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DLUMADISC_FFMPEG="$BUILD/ffmpeg-win" -DLUMADISC_DISCS_DIR="$BUILD/discs" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
if (($#)); then
  cmake --build "$BUILD/win" -j "$jobs" --target "$@"
  exit
fi
cmake --build "$BUILD/win" -j "$jobs"
cmake -S "$ROOT" -B "$BUILD/native" -DLUMADISC_DISCS_DIR="$BUILD/discs" >/dev/null
cmake --build "$BUILD/native" -j "$jobs"
