#!/usr/bin/env bash
# Makes, in OUTDIR beside the discs of make-discs.sh (run that first), what players meet from
# elsewhere:
#   images/NAME.iso    each test disc as a UDF/ISO 9660 bridge image (genisoimage -dvd-video)
#   images/truncated.iso  the sample image cut off inside its titles' VOB
#   images/datacd.iso  a plain ISO 9660 data CD without VIDEO_TS
#   images/random.iso  bytes that are no file system at all
# Rebuilt only when this script, the tools or the discs changed. Needs genisoimage.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
out="$(cd "$1" && pwd)"
discs=(sample chapters300)
for d in "${discs[@]}"; do
  [ -f "$out/$d/VIDEO_TS/VIDEO_TS.IFO" ] || { echo "$out/$d is missing: run make-discs.sh first" >&2; exit 1; }
done
exec 9>"$out/.foreign.lock"
flock 9

stamp="$(cat "${BASH_SOURCE[0]}"; genisoimage -version 2>&1; cat "$out"/.stamps/{sample,chapters300})"
stamp="$(printf '%s' "$stamp" | sha256sum | cut -d' ' -f1)"
[ "$(cat "$out/.stamps/foreign" 2>/dev/null)" = "$stamp" ] && exit 0

work="$(mktemp -d "$out/.work-foreign.XXXXXX")"
trap 'rm -rf "$work"' EXIT
iso() { genisoimage -quiet "$@"; }

mkdir -p "$work/images"
for d in "${discs[@]}"; do
  iso -dvd-video -V "${d^^}" -o "$work/images/$d.iso" "$out/$d"
done

# Cut inside the last VOB of the image, so the IFOs still read but a title does not.
size=$(stat -c %s "$work/images/sample.iso")
head -c $((size * 3 / 4)) "$work/images/sample.iso" > "$work/images/truncated.iso"

mkdir -p "$work/datacd/DOCS"
printf 'Not a video disc.\n' > "$work/datacd/README.TXT"
printf 'notes\n' > "$work/datacd/DOCS/NOTES.TXT"
iso -V DATA -o "$work/images/datacd.iso" "$work/datacd"

head -c $((1024 * 1024)) /dev/urandom > "$work/images/random.iso"

rm -rf "$out/images"
mv "$work/images" "$out/images"
echo "$stamp" > "$out/.stamps/foreign"
echo "made $out/images"
