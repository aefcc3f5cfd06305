#!/usr/bin/env bash
# Fuzzes every target for SECONDS each, one after another at the lowest priority, under
# AddressSanitizer and UBSan: tools/fuzz.sh SECONDS [NAME...]
# A target is tests/fuzz/NAME_fuzz.cpp, built as the CMake target NAME_fuzz by a clang build
# with LUMADISC_SANITIZE (in $LUMADISC_FUZZ_BUILD, default build/fuzz). Its kept corpus is
# tests/fuzz/corpus/NAME_fuzz; what a run finds goes to the build folder, and with
# LUMADISC_FUZZ_KEEP=1 the kept corpus is reduced to its hand-named inputs and the fewest kept
# and found ones that cover what all do.
# LUMADISC_FUZZ_RUNS=N ends each target after N executions if SECONDS have not passed first.
# LUMADISC_FUZZ_JOBS=N fuzzes each target in N processes at once (libFuzzer's fork mode).
# Fails on the first crash, leak, hang or sanitizer report; prints each target's executions.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 SECONDS [NAME...]" >&2; exit 2; }
seconds="$1"
shift
. "$(dirname "${BASH_SOURCE[0]}")/env.sh"
build="${LUMADISC_FUZZ_BUILD:-$BUILD/fuzz}"

targets=()
for name in "$@"; do targets+=("${name%_fuzz}_fuzz"); done
if ((${#targets[@]} == 0)); then
  for source in "$ROOT"/tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

cmake -S "$ROOT" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLUMADISC_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target "${targets[@]}" -j 2

summary=""
for target in "${targets[@]}"; do
  binary="$(find "$build" -type f -name "$target" -perm -u+x | head -n 1)"
  [ -n "$binary" ] || { echo "no binary for $target in $build" >&2; exit 1; }
  kept="$ROOT/tests/fuzz/corpus/$target"
  found="$build/fuzz-corpus/$target"
  mkdir -p "$kept" "$found" "$build/fuzz-artifacts"
  echo "== $target for ${seconds}s"
  log="$build/fuzz-artifacts/$target.log"
  if ! nice -n 19 "$binary" -max_total_time="$seconds" ${LUMADISC_FUZZ_RUNS:+-runs="$LUMADISC_FUZZ_RUNS"} \
       ${LUMADISC_FUZZ_JOBS:+-fork="$LUMADISC_FUZZ_JOBS"} \
       -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-" \
       "$found" "$kept" 2>&1 | tee "$log" | grep -Ev '^(#|")'; then
    echo "$target failed; see $log and $build/fuzz-artifacts" >&2
    exit 1
  fi
  if [ "${LUMADISC_FUZZ_KEEP:-0}" = 1 ]; then
    reduced="$build/fuzz-reduced/$target"
    rm -rf "$reduced"
    mkdir -p "$reduced"
    # Hand-named inputs stay; to them come the fewest others that add to what they cover.
    find "$kept" -type f ! -regex '.*/[0-9a-f]\{40\}' -exec cp {} "$reduced" \;
    nice -n 19 "$binary" -merge=1 -rss_limit_mb=2048 "$reduced" "$kept" "$found" > "$log.merge" 2>&1 ||
      { echo "merging $target's corpus failed; see $log.merge" >&2; exit 1; }
    rm -rf "$kept"
    mv "$reduced" "$kept"
  fi
  # Fork mode prints no final figures: its count is that of its last report.
  runs="$(awk '/number_of_executed_units/ { n = $2 } /^#[0-9]+: / { f = substr($1, 2) + 0 } END { print n ? n : f }' "$log")"
  summary+="$(printf '%-16s %14s executions\n' "$target" "$runs")"$'\n'
done
echo "== Executions"
printf '%s' "$summary"
