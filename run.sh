#!/usr/bin/env bash
# Runs the player: installs what is missing, builds, prepares the private Wine prefix with the
# sample disc presented as a CD-ROM drive, and starts lumadisc.exe on $DISPLAY (or a private Xvfb).
set -uo pipefail
cd "$(dirname "$0")"
tools/setup.sh || exit 1
. tools/env.sh
tools/build.sh --win-only || exit 1
cleanup() { stop_wine; stop_display; }
trap cleanup EXIT
start_display || exit 1
tools/prefix.sh || exit 1
[ -x tools/sample-disc.sh ] && tools/sample-disc.sh
wine "$BUILD/win/src/lumadisc.exe"
