#!/usr/bin/env bash
# Runs a command with a disc folder served through the slow drive (slow_drive.c) and presented
# to the Wine prefix as CD-ROM drive LETTER; whatever happens, the drive is taken away and the
# mount undone. Where FUSE cannot be mounted it says so and exits 77, the tests' "skipped".
# Usage: tests/drive/slow-drive.sh LETTER SOURCE [DRIVE OPTION...] -- COMMAND...
# The mount point is slow-drive-LETTER in the current folder, the drive's log of reads
# slow-drive-LETTER.log beside it; the command finds the drive in LUMANAV_SLOW_DRIVE (e.g. "S:").
# With a scratch (--bad=) the command's success counts only if the scratch was read.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -ge 4 ] || { sed -n '5,8s/^# //p' "$0" >&2; exit 2; }
letter="$(echo "$1" | tr 'A-Z' 'a-z')"
source="$2"
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
[ "${1:-}" = "--" ] || { echo "slow-drive: no command after --" >&2; exit 2; }
shift

skip() { echo "slow-drive: $* - skipped" >&2; exit 77; }
command -v fusermount3 >/dev/null || skip "fusermount3 is missing"
[ -e /dev/fuse ] || skip "no /dev/fuse"
pkg-config --exists fuse3 || skip "libfuse3 is missing"

# Built beside its users, again whenever its source changes.
program="$PWD/slow_drive"
if [ ! -x "$program" ] || [ "$here/slow_drive.c" -nt "$program" ]; then
  cc -O2 -Wall -Wextra -Wno-unused-parameter "$here/slow_drive.c" $(pkg-config --cflags --libs fuse3) -o "$program"
fi

mnt="$PWD/slow-drive-$letter"
log="$mnt.log"
mkdir -p "$mnt"
presented=""
cleanup() {
  [ -z "$presented" ] || "$here/../../tools/present-drive.sh" "$letter" --remove >/dev/null 2>&1 || true
  for _ in 1 2 3 4 5; do
    mountpoint -q "$mnt" || break
    fusermount3 -u "$mnt" 2>/dev/null || sleep 1
  done
  mountpoint -q "$mnt" && fusermount3 -uz "$mnt"
  rmdir "$mnt" 2>/dev/null || true
}
trap cleanup EXIT
"$program" "$source" "$mnt" "${options[@]}" --log="$log" || skip "FUSE cannot be mounted here"

presented=yes
"$here/../../tools/present-drive.sh" "$letter" "$mnt" >/dev/null
export LUMANAV_SLOW_DRIVE="${letter^^}:"
status=0
"$@" || status=$?
reads=$(wc -l < "$log")
failed=$(awk '$4 < 0' "$log" | wc -l)
longest=$(awk 'm < $5 { m = $5 } END { print m + 0 }' "$log")
echo "slow-drive ${options[*]}: $reads reads, $failed failed, longest $longest ms"
if [ "$status" -eq 0 ] && [[ " ${options[*]} " == *" --bad="* ]] && [ "$failed" -eq 0 ]; then
  echo "slow-drive: the scratch was never read" >&2
  status=1
fi
exit "$status"
