#!/usr/bin/env bash
# Screenshots of the real player playing the sample disc: its menu with the first button
# highlighted, and title 1 with a subtitle; the interlaced and the film disc in motion, windowed
# and full screen, and paused full screen. Usage: tests/e2e/screenshots.sh [OUTDIR]   (after
# tools/build.sh); leaves OUTDIR/disc-menu.png, title-subtitle.png and DISC-window.png,
# DISC-paused-full-screen.png, DISC-full-screen.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/tools/env.sh"
out="$(realpath -m "${1:-$BUILD/screenshots}")"
mkdir -p "$out"
trap 'stop_wine; stop_display' EXIT
start_display
"$root/tools/prefix.sh" >/dev/null
bash "$root/tests/discs/make-discs.sh" "$BUILD/discs" sample interlaced film >/dev/null
"$root/tools/present-drive.sh" d "$BUILD/discs/sample" LUMADISC_SAMPLE >/dev/null
status=0
LUMADISC_EXE="$BUILD/win/src/lumadisc.exe" LUMADISC_SHOTS="$out" \
  wine "$BUILD/win/tests/e2e/e2e_tests.exe" --gtest_filter='Screenshots.*' || status=1
"$root/tools/present-drive.sh" d --remove >/dev/null
for disc in interlaced film; do
  "$root/tools/present-drive.sh" d "$BUILD/discs/$disc" "${disc^^}" >/dev/null
  LUMADISC_EXE="$BUILD/win/src/lumadisc.exe" LUMADISC_SHOTS="$out" LUMADISC_SHOTS_MOTION=$disc \
    wine "$BUILD/win/tests/e2e/e2e_tests.exe" --gtest_filter='Screenshots.ADiscInMotion*' || status=1
  "$root/tools/present-drive.sh" d --remove >/dev/null
done
for shot in disc-menu title-subtitle {interlaced,film}-{window,paused-full-screen,full-screen}; do
  [ -f "$out/$shot.bmp" ] && convert "$out/$shot.bmp" "$out/$shot.png" && echo "$out/$shot.png"
done
exit $status
