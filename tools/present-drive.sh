#!/usr/bin/env bash
# Presents a folder (one that holds VIDEO_TS, or a real drive's mount point) as a CD-ROM drive
# of the private Wine prefix, with an optional volume label; or takes a drive away. Programs
# running in the prefix stay up and see a disc inserted or removed.
# Usage: tools/present-drive.sh LETTER FOLDER [LABEL]      e.g. tools/present-drive.sh e build/discs/sample MY_DISC
#        tools/present-drive.sh LETTER --remove
set -euo pipefail
. "$(dirname "$0")/env.sh"
[ $# -ge 2 ] || { sed -n '6,7s/^# //p' "$0" >&2; exit 2; }
letter="$(echo "$1" | tr 'A-Z' 'a-z')"
tool="$BUILD/win/tools/drive/present_drive.exe"
[ -f "$tool" ] || "$ROOT/tools/build.sh" present_drive >/dev/null
if [ "$2" = "--remove" ]; then
  wine "$tool" "$letter" --remove
  exit
fi
folder="$(cd "$2" && pwd)"
if [ -n "${3:-}" ]; then printf '%s\n' "$3" > "$folder/.windows-label"; fi
wine "$tool" "$letter" "$folder"
