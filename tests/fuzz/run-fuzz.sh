#!/usr/bin/env bash
# Builds the navigator core and media layer with clang under AddressSanitizer and UBSan in
# BUILD_DIR, runs their unit tests there, then runs every fuzz target (tools/fuzz.sh) for a
# bounded time each ($LUMADISC_FUZZ_SECONDS, default 30) from the kept seed corpora. Fails on any test failure,
# crash or sanitizer report.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${LUMADISC_FUZZ_SECONDS:-30}"

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLUMADISC_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target navcore_tests media_tests -j 2

discs="${LUMADISC_DISCS:-$build/discs}"
"$root/tests/discs/make-discs.sh" "$discs"
"$root/tests/discs/make-foreign-discs.sh" "$discs"
echo "== Navigator core tests under AddressSanitizer and UBSan"
LUMADISC_DISCS="$discs" "$build/tests/navigator/navcore_tests" --gtest_brief=1
echo "== Media layer tests under AddressSanitizer and UBSan"
LUMADISC_DISCS="$discs" "$build/tests/media/media_tests" --gtest_brief=1

LUMADISC_FUZZ_BUILD="$build" "$root/tools/fuzz.sh" "$seconds"
