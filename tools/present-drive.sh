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
# Wine reads a drive's label from a file at its root. The user's folder is never written to: a
# labelled drive's root is a folder of the prefix whose entries lead to the user's.
root="$WINEPREFIX/presented/$letter"
if [ "$2" = "--remove" ]; then
  wine "$tool" "$letter" --remove
  rm -rf "$root"
  exit
fi
folder="$(cd "$2" && pwd)"
if [ -n "${3:-}" ]; then
  rm -rf "$root" && mkdir -p "$root"
  for entry in "$folder"/* "$folder"/.[!.]*; do
    if [ -e "$entry" ] && [ "$(basename "$entry")" != .windows-label ]; then ln -s "$entry" "$root/"; fi
  done
  printf '%s\n' "$3" > "$root/.windows-label"
  folder="$root"
fi
wine "$tool" "$letter" "$folder"
