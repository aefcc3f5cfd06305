#!/usr/bin/env bash
# Builds the navigator core with clang under AddressSanitizer and UBSan in BUILD_DIR, runs its
# unit tests there, then fuzzes volume opening and IFO decoding for a bounded time
# ($LUMADISC_FUZZ_SECONDS, default 60) from the kept seed corpus. Fails on any test failure,
# crash or sanitizer report.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${LUMADISC_FUZZ_SECONDS:-60}"

cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLUMADISC_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target navcore_tests navcore_fuzz -j 2

discs="${LUMADISC_DISCS:-$build/discs}"
"$root/tests/discs/make-discs.sh" "$discs"
"$root/tests/discs/make-foreign-discs.sh" "$discs"
echo "== Navigator core tests under AddressSanitizer and UBSan"
LUMADISC_DISCS="$discs" "$build/tests/navigator/navcore_tests" --gtest_brief=1

echo "== Fuzzing volume opening and IFO decoding for ${seconds}s"
corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
"$build/tests/navigator/navcore_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" "$root/tests/fuzz/corpus"
