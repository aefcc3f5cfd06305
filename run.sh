#!/usr/bin/env bash
# Runs the player: installs what is missing, builds the player and the navigator DLL (no tests),
# prepares the private Wine prefix with the sample disc as CD-ROM drive D:, and starts
# lumadisc.exe on $DISPLAY (or a private Xvfb).
set -uo pipefail
cd "$(dirname "$0")"
. tools/env.sh
# The player sounds on the machine's own device where there is one; headless, the null device.
if has_sound_device; then unset ALSA_CONFIG_PATH; fi
echo "A first run takes about ten minutes on two cores (packages, FFmpeg, the player); later runs start in seconds."
stage "Packages: installing what is missing"
logged setup tools/setup.sh || exit 1
# How long a stage takes is said only when it will do its work.
if tools/ffmpeg.sh --needed; then long=" (about three minutes)"; else long=""; fi
stage "FFmpeg for the navigator: built once from Debian's source package$long"
logged ffmpeg tools/ffmpeg.sh || exit 1
if [ -f "$BUILD/win/src/lumadisc.exe" ]; then long=""; else long=" (about three minutes)"; fi
stage "Building the player and the navigator DLL$long"
logged build tools/build.sh lumadisc lumanav present_drive || exit 1
cleanup() { stop_wine; stop_display; }
trap cleanup EXIT
start_display || exit 1
if [ -f "$WINEPREFIX/system.reg" ]; then long=""; else long=" (about half a minute)"; fi
stage "Preparing the Wine prefix in $WINEPREFIX$long"
logged prefix tools/prefix.sh || exit 1
stage "Authoring the sample disc and presenting it as drive D:"
logged sample-disc tools/sample-disc.sh || exit 1
stage "Starting the player on display $DISPLAY; it runs until its window is closed"
wine "$BUILD/win/src/lumadisc.exe"
