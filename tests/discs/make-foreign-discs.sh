#!/usr/bin/env bash
# Makes, in OUTDIR beside the discs of make-discs.sh (run that first), what players meet from
# elsewhere:
#   slideshow/   two picture slideshows with subtitles (dvd-slideshow) behind a video manager
#                menu of two buttons made by dvd-menu; the title set menu has no cells
#   commands/    a dvdauthor disc driven by commands: the video manager menu leads to the
#                title set menu, into title 1 with a register set, or to a chain of two titles
#                that ends in the title set menu; that menu's buttons choose the streams or a
#                chapter, and title 1's pre commands choose streams when the register says so
#   images/NAME.iso    each disc as a UDF/ISO 9660 bridge image (genisoimage -dvd-video)
#   images/truncated.iso  the sample image cut off inside its titles' VOB
#   images/datacd.iso  a plain ISO 9660 data CD without VIDEO_TS
#   images/random.iso  bytes that are no file system at all
# Rebuilt only when this script, the tools or the discs changed. Needs genisoimage, ffmpeg,
# dvdauthor, spumux and dvd-slideshow.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
out="$(cd "$1" && pwd)"
discs=(sample chapters300 angles sizes codings)
for d in "${discs[@]}"; do
  [ -f "$out/$d/VIDEO_TS/VIDEO_TS.IFO" ] || { echo "$out/$d is missing: run make-discs.sh first" >&2; exit 1; }
done
exec 9>"$out/.foreign.lock"
flock 9

stamp="$(cat "${BASH_SOURCE[0]}"; genisoimage -version 2>&1; dvd-menu 2>&1 | head -1; cat "${discs[@]/#/$out/.stamps/}")"
stamp="$(printf '%s' "$stamp" | sha256sum | cut -d' ' -f1)"
[ "$(cat "$out/.stamps/foreign" 2>/dev/null)" = "$stamp" ] && exit 0

work="$(mktemp -d "$out/.work-foreign.XXXXXX")"
trap 'rm -rf "$work"' EXIT
iso() { genisoimage -quiet "$@"; }
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
fail() { echo "authoring $1 failed; logs:" >&2; cat "$work/$1"/*.log >&2 2>/dev/null || true; exit 1; }

author_slideshow() {
  ff -f lavfi -i testsrc=s=640x480 -frames:v 1 a.jpg
  ff -f lavfi -i testsrc2=s=640x480 -frames:v 1 b.jpg
  printf 'a.jpg:3:First picture\nb.jpg:3:Second picture\n' > slides.txt
  printf 'b.jpg:2\na.jpg:2:Last picture\n' > colours.txt
  dvd-slideshow -n slides -o out -p -mp2 -f slides.txt > slideshow.log 2>&1
  dvd-slideshow -n colours -o out -p -mp2 -f colours.txt >> slideshow.log 2>&1
  dvd-menu -t Slides -t Colours -f out/slides.xml -f out/colours.xml -o menu -p -mp2 -n Foreign > menu.log 2>&1
  mv menu/dvd_fs dvd
}

# PAL title of SECONDS with two audio streams and two subtitle streams: title NAME SECONDS
title() {
  local name=$1 seconds=$2 n
  ff -f lavfi -i "testsrc=size=720x576:rate=25:duration=$seconds" -f lavfi -i "sine=frequency=440:duration=$seconds" \
     -f lavfi -i "sine=frequency=880:duration=$seconds" -map 0:v -map 1:a -map 2:a \
     -target pal-dvd -aspect 4:3 -g 10 -b:v 1000k -c:a mp2 -b:a 128k "$name-0.mpg"
  for n in 0 1; do
    ff -f lavfi -i "color=c=black:s=720x576" -vf "drawbox=x=200:y=$((60 + 400 * n)):w=320:h=40:color=white@1:t=fill" \
       -frames:v 1 "sub$n.png"
    cat > "$name-sub$n.xml" <<XML
<subpictures format="PAL"><stream>
 <spu start="00:00:00.50" end="00:00:02.00" image="sub$n.png" transparent="000000"/>
</stream></subpictures>
XML
    spumux -s "$n" "$name-sub$n.xml" < "$name-$n.mpg" > "$name-$((n + 1)).mpg" 2>> spumux.log
  done
  mv "$name-2.mpg" "$name.mpg"
}

# A still menu with buttons stacked down the screen: menu NAME BUTTONS
menu() {
  local name=$1 count=$2 b buttons="" boxes=""
  for b in $(seq "$count"); do
    boxes+=",drawbox=x=120:y=$((40 + 120 * b)):w=480:h=60:color=yellow@1:t=6"
    buttons+="<button name=\"b$b\" x0=\"116\" y0=\"$((36 + 120 * b))\" x1=\"604\" y1=\"$((104 + 120 * b))\"/>"
  done
  ff -f lavfi -i "color=c=navy:s=720x576:r=25:d=1" -f lavfi -i anullsrc=r=48000:cl=stereo -t 1 \
     -target pal-dvd -aspect 4:3 -b:v 1000k -c:a mp2 -b:a 128k "$name-bg.mpg"
  ff -f lavfi -i "color=c=black:s=720x576,format=rgb24${boxes}" -frames:v 1 "$name-hl.png"
  cat > "$name.xml" <<XML
<subpictures format="PAL"><stream>
 <spu start="00:00:00.00" force="yes" highlight="$name-hl.png" select="$name-hl.png" transparent="000000">$buttons</spu>
</stream></subpictures>
XML
  spumux -m dvd "$name.xml" < "$name-bg.mpg" > "$name.mpg" 2>> spumux.log
}

author_commands() {
  title one 9
  title two 3
  title three 3
  menu main 3
  menu root 2
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm>
  <menus>
   <video format="pal" aspect="4:3"/>
   <pgc entry="title">
    <vob file="main.mpg" pause="inf"/>
    <button name="b1">g0=1; jump titleset 1 menu;</button>
    <button name="b2">jump title 2;</button>
    <button name="b3">g0=2; jump title 1;</button>
   </pgc>
  </menus>
 </vmgm>
 <titleset>
  <menus>
   <video format="pal" aspect="4:3"/>
   <pgc entry="root">
    <pre>if (g0 == 1) button = 2048;</pre>
    <vob file="root.mpg" pause="inf"/>
    <button name="b1">audio=1; subtitle=65; jump title 1;</button>
    <button name="b2">jump title 1 chapter 3;</button>
   </pgc>
  </menus>
  <titles>
   <video format="pal" aspect="4:3"/>
   <audio lang="en"/>
   <audio lang="fr"/>
   <subpicture lang="en"/>
   <subpicture lang="de"/>
   <pgc>
    <pre>if (g0 == 2) { audio=1; subtitle=64; }</pre>
    <vob file="one.mpg" chapters="0,3,6"/>
    <post>g0=0; call vmgm menu 1;</post>
   </pgc>
   <pgc>
    <vob file="two.mpg"/>
    <post>jump title 3;</post>
   </pgc>
   <pgc>
    <vob file="three.mpg"/>
    <post>call menu;</post>
   </pgc>
  </titles>
 </titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}

for d in slideshow commands; do
  mkdir -p "$work/$d"
  (cd "$work/$d" && "author_$d") || fail "$d"
  discs+=("$d")
done

mkdir -p "$work/images"
for d in "${discs[@]}"; do
  src="$out/$d"
  [ -d "$work/$d/dvd" ] && src="$work/$d/dvd"
  iso -dvd-video -V "${d^^}" -o "$work/images/$d.iso" "$src"
done

# Cut inside the last VOB of the image, so the IFOs still read but a title does not.
size=$(stat -c %s "$work/images/sample.iso")
head -c $((size * 3 / 4)) "$work/images/sample.iso" > "$work/images/truncated.iso"

mkdir -p "$work/datacd/DOCS"
printf 'Not a video disc.\n' > "$work/datacd/README.TXT"
printf 'notes\n' > "$work/datacd/DOCS/NOTES.TXT"
iso -V DATA -o "$work/images/datacd.iso" "$work/datacd"

head -c $((1024 * 1024)) /dev/urandom > "$work/images/random.iso"

for d in slideshow commands images; do
  rm -rf "${out:?}/$d"
  if [ "$d" = images ]; then mv "$work/images" "$out/images"; else mv "$work/$d/dvd" "$out/$d"; fi
done
echo "$stamp" > "$out/.stamps/foreign"
echo "made $out/slideshow, $out/commands and $out/images"
