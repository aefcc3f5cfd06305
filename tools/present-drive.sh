#!/usr/bin/env bash
# Presents a folder (one that holds VIDEO_TS, or a real drive's mount point) as a CD-ROM drive
# of the private Wine prefix, with an optional volume label.
# Usage: tools/present-drive.sh LETTER FOLDER [LABEL]      e.g. tools/present-drive.sh d build/discs/sample SAMPLE_DISC
#        tools/present-drive.sh LETTER --remove
set -euo pipefail
. "$(dirname "$0")/env.sh"
letter="$(echo "$1" | tr 'A-Z' 'a-z')"
link="$WINEPREFIX/dosdevices/$letter:"
if [ "${2:-}" = "--remove" ]; then
  rm -f "$link"
  wine reg delete 'HKLM\Software\Wine\Drives' /v "$letter:" /f >/dev/null 2>&1 || true
  stop_wine
  exit 0
fi
folder="$(cd "$2" && pwd)"
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$folder" "$link"
if [ -n "${3:-}" ]; then printf '%s\n' "$3" > "$folder/.windows-label"; fi
wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /t REG_SZ /d cdrom /f >/dev/null
# Wine's mount manager reads drive types when the session starts: end this prefix's session so
# the next program sees the drive.
stop_wine
