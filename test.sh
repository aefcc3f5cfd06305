#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, prepares the private Wine prefix on a
# private X display when none is set, checks the sources with both compilers, runs the native
# and the Windows test suites.
set -uo pipefail
cd "$(dirname "$0")"
tools/setup.sh || exit 1
. tools/env.sh
tools/build.sh || exit 1
cleanup() { stop_wine; stop_display; }
trap cleanup EXIT
start_display || exit 1
tools/prefix.sh || exit 1
status=0
echo "== Build check: GCC and clang, warnings as errors"
tools/compile-check.sh || status=1
echo "== Native tests (navigator core)"
ctest --test-dir "$BUILD/native" --output-on-failure --timeout 900 || status=1
echo "== Windows tests under Wine"
ctest --test-dir "$BUILD/win" --output-on-failure --timeout 900 || status=1
exit $status
