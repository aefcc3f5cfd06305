#!/usr/bin/env bash
# Authors the DVD-Video test discs into OUTDIR:
#   sample/      first-play PGC -> title menu (two buttons) -> titles; title 1 has 4 chapters,
#                two audio streams (en, fr) and two subtitle streams (en, none), title set 1
#                has a root menu; title 2 is in a 16:9 title set.
#   chapters300/ one NTSC title of 300 chapters spread over four linked PGCs.
#   angles/      one PAL title: a 4 s lead-in cell (chapter 1), an interleaved block of three
#                4 s angles (chapter 2), a 4 s closing cell; each angle in a colour of its own
#                with its number in words.
#   sizes/       a two-second 720x576 root menu of title set 1 (patch colour 5) with two
#                highlighted buttons, under a manager whose menu attributes say NTSC and which
#                has no menu; it leads on by itself to a four-second 352x288 title (patch
#                colour 6) under a forced white subtitle box (100,200)-(252,240) of its own
#                size: changes of picture size and of video standard.
#   codings/     one three-second PAL title per audio coding, each in its own title set, every
#                stream a tone of its own: set 1 AC-3 5.1 en 440 Hz and AC-3 stereo fr 550 Hz
#                with two subtitle streams (en: three coloured boxes from 0.5 to 2 s; fr:
#                forced, one box from 1 to 2.5 s); set 2 MPEG layer 2 de 660 Hz; set 3 LPCM
#                16-bit 48 kHz es 770 Hz and 24-bit 96 kHz it 880 Hz; set 4 DTS nl 990 Hz;
#                set 5 LPCM 16-bit 48 kHz in six channels pt 935 Hz.
#   stills/      a PAL title menu of two seconds, its frames marked, whose cell stills after each
#                VOBU (of ten frames), with two buttons: "Play" (title 1) and "Next"
#                (a command that jumps nowhere); it leads on to title 1: three seconds in VOBUs of
#                one second, each a still, under a forced subtitle box throughout.
#   sync/        one PAL title of 30 s, black, whose picture flashes white for a frame and
#                whose AC-3 sound beeps (1 kHz, 40 ms) at the start of every second;
#                sync600/ is the same ten minutes long, made only when named.
#   film/        one PAL 720x576 title of a minute that costs to decode what a film does: moving
#                detail under grain at 6 Mbit/s, with AC-3 stereo noise at 192 kbit/s; first play
#                leads straight into it. Made only when named.
#   interlaced/  30 s of PAL video shot at 50 pictures a second and woven into fields, top
#                field first, so the two fields of a frame differ wherever something moves; the
#                marks number the frames.
#   ntscvideo/   the same in NTSC: 59.94 pictures a second woven into 29.97 frames.
#   pulldown/    30 s of NTSC film at 23.976 progressive frames, with 3:2 pulldown flags
#                (repeat first field on every other frame), each frame numbered.
# Usage: make-discs.sh OUTDIR [DISC...]   (by default every disc but sync600 and film)
# Every title's pictures carry marks a test can read back (tests/media/support/FrameMarks.h):
# the frame number and a colour naming the title and chapter (in angles/, the cell: palette
# index 0 the lead-in, 1-3 the angles, 4 the closing cell).
# A disc is rebuilt only when its folder is missing or this script or the tools changed.
# Needs ffmpeg, dvdauthor and spumux (and mjpegtools' mpeg2enc and mplex for pulldown/).
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: $0 OUTDIR [DISC...]" >&2; exit 2; }
mkdir -p "$1"
out="$(cd "$1" && pwd)"
shift
mkdir -p "$out/.stamps"
exec 9>"$out/.lock"
flock 9

tools="$(ffmpeg -version 2>&1 || true; dvdauthor 2>&1 || true)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
stamp="$(printf '%s\n%s' "$(cat "${BASH_SOURCE[0]}" "$here/interleave.cpp")" "$tools" | sha256sum | cut -d' ' -f1)"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

# A PNG of black (made transparent by spumux) with solid rectangles:
# overlay NAME COLOUR "x:y:w:h[:t]" ...  (spumux passes the colours of such pictures on to
# dvdauthor for the PGC palette; those of pictures with an alpha channel it drops), of the
# size $size names, 720x576 unless it does
overlay() {
  local name=$1 colour=$2 filter="color=c=black:s=${size:-720x576},format=rgb24" box
  shift 2
  for box in "$@"; do
    IFS=: read -r x y w h t <<<"$box"
    filter+=",drawbox=x=$x:y=$y:w=$w:h=$h:color=$colour@1:t=${t:-fill}"
  done
  ff -f lavfi -i "$filter" -frames:v 1 "$name"
}

# The colours of the title and chapter patch, in the order FrameMarks.h knows them.
palette=(e02020 20c020 2040e0 e0e020 e020e0 20e0e0 f08020 808080)

# Video filters marking each picture of a title WxH: the frame number from 0 in binary as 12
# blocks along the top (white = 1, most significant first, each a 16th of the width and a 12th
# of the height), right of them a patch in palette colour (OFFSET + chapter index) mod 8,
# and both in words. marks W H TITLE OFFSET CHAPTER_INDEX_EXPRESSION (of t, from 0)
marks() {
  local w=$1 h=$2 title=$3 offset=$4 chapter=$5 bw=$(($1 / 16)) bh=$(($2 / 12)) bit k f
  f="drawbox=x=0:y=0:w=$((12 * bw)):h=$bh:color=black:t=fill"
  for bit in $(seq 0 11); do
    f+=",drawbox=x=$((bit * bw)):y=0:w=$bw:h=$bh:color=white:t=fill:enable='mod(floor(n/$((1 << (11 - bit)))),2)'"
  done
  for k in $(seq 0 7); do
    f+=",drawbox=x=$((13 * bw)):y=0:w=$((2 * bw)):h=$((2 * bh)):color=0x${palette[k]}:t=fill"
    f+=":enable='eq(mod($offset+$chapter,8),$k)'"
  done
  [ -f "$font" ] && f+=",drawtext=fontfile=$font:fontsize=$((h / 18)):fontcolor=white:box=1:boxcolor=black:x=$((w / 16)):y=$((h / 4)):text='title $title chapter %{eif\\:$chapter+1\\:d} frame %{n}'"
  printf '%s' "$f"
}

# A PAL menu with two labelled buttons and their highlights, of one second unless told, with
# further encoder options: menu NAME LABEL1 LABEL2 [SECONDS OPTION...]
menu() {
  local name=$1 text="" label y=200 labels=("$2" "$3") seconds=${4:-1}
  shift $(($# < 4 ? $# : 4))
  for label in "${labels[@]}"; do
    text+=",drawbox=x=120:y=$y:w=480:h=60:color=gray@1:t=fill"
    [ -f "$font" ] && text+=",drawtext=fontfile=$font:text='$label':x=140:y=$((y + 15)):fontsize=28:fontcolor=white"
    y=$((y + 120))
  done
  ff -f lavfi -i "color=c=navy:s=720x576:r=25:d=$seconds$text" -f lavfi -i anullsrc=r=48000:cl=stereo -t "$seconds" \
     -target pal-dvd -aspect 4:3 -b:v 1500k -c:a ac3 -b:a 128k "$@" "$name-bg.mpg"
  overlay "$name-hl.png" yellow 116:196:488:68:6 116:316:488:68:6
  overlay "$name-sel.png" red 116:196:488:68:6 116:316:488:68:6
  cat > "$name.xml" <<XML
<subpictures format="PAL"><stream>
 <spu start="00:00:00.00" force="yes" highlight="$name-hl.png" select="$name-sel.png" transparent="000000">
  <button name="b1" x0="116" y0="196" x1="604" y1="264" up="b2" down="b2"/>
  <button name="b2" x0="116" y0="316" x1="604" y1="384" up="b1" down="b1"/>
 </spu>
</stream></subpictures>
XML
  spumux -m dvd "$name.xml" < "$name-bg.mpg" > "$name.mpg" 2>> spumux.log
}

# Subtitle stream N (a box at height Y, shown twice) muxed into IN, giving OUT.
subtitles() {
  local n=$1 y=$2 in=$3 result=$4
  overlay "sub$n.png" white "200:$y:320:40"
  cat > "sub$n.xml" <<XML
<subpictures format="PAL"><stream>
 <spu start="00:00:01.00" end="00:00:05.00" image="sub$n.png" transparent="000000"/>
 <spu start="00:00:09.00" end="00:00:13.00" image="sub$n.png" transparent="000000"/>
</stream></subpictures>
XML
  spumux -s "$n" "sub$n.xml" < "$in" > "$result" 2>> spumux.log
}

author_sample() {
  ff -f lavfi -i testsrc=size=720x576:rate=25:duration=32 -f lavfi -i sine=frequency=440:duration=32 \
     -f lavfi -i sine=frequency=660:duration=32 -map 0:v -map 1:a -map 2:a -vf "$(marks 720 576 1 0 'floor(t/8)')" \
     -target pal-dvd -aspect 4:3 -g 10 -bf 2 -flags +cgop -sc_threshold 1000000000 -b:v 1500k -c:a ac3 -b:a 128k -ac 2 title1-plain.mpg
  subtitles 0 480 title1-plain.mpg title1-sub0.mpg
  subtitles 1 60 title1-sub0.mpg title1.mpg
  ff -f lavfi -i testsrc2=size=720x576:rate=25:duration=8 -f lavfi -i sine=frequency=550:duration=8 \
     -vf "$(marks 720 576 2 4 0)" -target pal-dvd -aspect 16:9 -g 10 -bf 2 -flags +cgop -sc_threshold 1000000000 -b:v 1500k -c:a mp2 -b:a 128k title2.mpg
  menu main "Title 1" "Title 2"
  menu root "Chapter 3" "Main menu"
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm>
  <fpc>jump menu 1;</fpc>
  <menus lang="en">
   <video format="pal" aspect="4:3"/>
   <audio lang="en"/>
   <pgc entry="title">
    <vob file="main.mpg" pause="inf"/>
    <button name="b1">jump title 1;</button>
    <button name="b2">jump title 2;</button>
   </pgc>
  </menus>
 </vmgm>
 <titleset>
  <menus lang="en">
   <video format="pal" aspect="4:3"/>
   <pgc entry="root">
    <vob file="root.mpg" pause="inf"/>
    <button name="b1">jump title 1 chapter 3;</button>
    <button name="b2">jump vmgm menu 1;</button>
   </pgc>
  </menus>
  <titles>
   <video format="pal" aspect="4:3"/>
   <audio lang="en"/>
   <audio lang="fr"/>
   <subpicture lang="en"/>
   <subpicture/>
   <pgc>
    <vob file="title1.mpg" chapters="0,8,16,24"/>
    <post>call vmgm menu 1;</post>
   </pgc>
  </titles>
 </titleset>
 <titleset>
  <titles>
   <video format="pal" aspect="16:9"/>
   <audio lang="de"/>
   <pgc>
    <vob file="title2.mpg"/>
    <post>call vmgm menu 1;</post>
   </pgc>
  </titles>
 </titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}

# A three-second PAL title OUT carrying the given tones (Hz), each encoded with the options
# that follow it: coded OUT "FREQ OPTION..." ...
coded() {
  local result=$1 inputs=() maps=(-map 0:v) codecs=() n=0 stream freq
  shift
  for stream in "$@"; do
    read -r freq stream <<<"$stream"
    inputs+=(-f lavfi -i "sine=frequency=$freq:duration=3")
    maps+=(-map $((n + 1)):a)
    # shellcheck disable=SC2206
    codecs+=(${stream//:N/:$n})
    n=$((n + 1))
  done
  # The muxer's complaints about its buffers go to the log.
  ff -f lavfi -i testsrc=size=720x576:rate=25:duration=3 "${inputs[@]}" "${maps[@]}" \
     -target pal-dvd -aspect 4:3 -g 10 -b:v 800k "${codecs[@]}" "$result" 2>> coded.log
}

author_codings() {
  coded ac3.mpg "440 -c:a:N ac3 -ac:a:N 6 -b:a:N 384k" "550 -c:a:N ac3 -ac:a:N 2 -b:a:N 192k"
  local box x w colour boxes="color=c=black:s=720x576,format=rgb24"
  for box in 100:160:white 300:120:red 460:160:blue; do
    IFS=: read -r x w colour <<<"$box"
    boxes+=",drawbox=x=$x:y=400:w=$w:h=40:color=$colour@1:t=fill"
  done
  ff -f lavfi -i "$boxes" -frames:v 1 subcol.png
  overlay forced.png yellow 240:100:240:60
  cat > subcol.xml <<'XML'
<subpictures format="PAL"><stream>
 <spu start="00:00:00.50" end="00:00:02.00" image="subcol.png" transparent="000000"/>
</stream></subpictures>
XML
  cat > forced.xml <<'XML'
<subpictures format="PAL"><stream>
 <spu start="00:00:01.00" end="00:00:02.50" force="yes" image="forced.png" transparent="000000"/>
</stream></subpictures>
XML
  spumux -s 0 subcol.xml < ac3.mpg > ac3-sub0.mpg 2>> spumux.log
  spumux -s 1 forced.xml < ac3-sub0.mpg > ac3-subs.mpg 2>> spumux.log
  coded mp2.mpg "660 -c:a:N mp2 -ac:a:N 2 -b:a:N 192k"
  # LPCM leaves in packets of 160 samples, small enough for the program stream's buffers.
  coded lpcm.mpg "770 -c:a:N pcm_s16be -ac:a:N 2 -ar:a:N 48000 -filter:a:N asetnsamples=n=160" \
    "880 -c:a:N pcm_dvd -sample_fmt:a:N s32 -ac:a:N 2 -ar:a:N 96000 -filter:a:N asetnsamples=n=160"
  coded dts.mpg "990 -c:a:N dca -strict -2 -ac:a:N 2 -ar:a:N 48000"
  coded lpcm6.mpg "935 -c:a:N pcm_s16be -ac:a:N 6 -ar:a:N 48000 -filter:a:N asetnsamples=n=80"
  {
    echo '<dvdauthor dest="dvd">'
    echo ' <vmgm><menus><video format="pal"/></menus></vmgm>'
    local set langs
    for set in "ac3-subs en,fr" "mp2 de" "lpcm es,it" "dts nl" "lpcm6 pt"; do
      read -r set langs <<<"$set"
      echo ' <titleset><titles><video format="pal" aspect="4:3"/>'
      for lang in ${langs//,/ }; do echo "  <audio lang=\"$lang\"/>"; done
      [ "$set" = ac3-subs ] && echo '  <subpicture lang="en"/><subpicture lang="fr"/>'
      echo "  <pgc><vob file=\"$set.mpg\"/></pgc>"
      echo ' </titles></titleset>'
    done
    echo '</dvdauthor>'
  } > dvd.xml
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}

# Big-endian reads and writes at byte offsets of a file.
u16() { od -An -tu1 -j "$2" -N2 "$1" | awk '{ print $1 * 256 + $2 }'; }
u32() { od -An -tu1 -j "$2" -N4 "$1" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
put() {
  local file=$1 offset=$2 bytes="" b
  shift 2
  for b in "$@"; do bytes+="\\x$b"; done
  printf "$bytes" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

author_chapters300() {
  local marks pgcs=4
  marks="$(seq -s, 0 0.5 37)"
  ff -f lavfi -i testsrc=size=352x240:rate=30000/1001:duration=38 -f lavfi -i sine=frequency=440:duration=38 \
     -vf "$(marks 352 240 1 5 'floor(t*2)')" -target ntsc-dvd -s 352x240 -aspect 4:3 -g 3 -b:v 300k -c:a mp2 -b:a 64k part.mpg
  {
    echo '<dvdauthor dest="dvd">'
    echo ' <vmgm><menus><video format="ntsc"/></menus></vmgm>'
    echo ' <titleset><titles><video format="ntsc" aspect="4:3"/>'
    for _ in $(seq $pgcs); do echo "  <pgc><vob file=\"part.mpg\" chapters=\"$marks\"/></pgc>"; done
    echo ' </titles></titleset>'
    echo '</dvdauthor>'
  } > dvd.xml
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
  # dvdauthor makes four titles of 75 chapters (a PGC holds at most 99 programs). Merge them
  # into one title of four PGCs: the title table keeps title 1 with 300 chapters, its chapter
  # list runs on into the other titles' entries, and each PGC links to the next instead of
  # ending playback.
  local vmg=dvd/VIDEO_TS/VIDEO_TS.IFO vts=dvd/VIDEO_TS/VTS_01_0.IFO tt ptt pgcit k pgc cmds
  tt=$(($(u32 $vmg $((0xC4))) * 2048))
  put $vmg $tt 00 01
  put $vmg $((tt + 4)) 00 00 00 13
  put $vmg $((tt + 8)) 7c
  put $vmg $((tt + 10)) 01 2c
  ptt=$(($(u32 $vts $((0xC8))) * 2048))
  put $vts $ptt 00 01
  pgcit=$(($(u32 $vts $((0xCC))) * 2048))
  for k in $(seq $pgcs); do
    pgc=$((pgcit + $(u32 $vts $((pgcit + 8 * k + 4)))))
    if [ "$k" -gt 1 ]; then
      put $vts $((pgcit + 8 * k)) 01
      put $vts $((pgc + 0x9E)) 00 $(printf %02x $((k - 1)))
    fi
    if [ "$k" -lt $pgcs ]; then
      put $vts $((pgc + 0x9C)) 00 $(printf %02x $((k + 1)))
      cmds=$((pgc + $(u16 $vts $((pgc + 0xE4)))))
      put $vts $((cmds + 8 + 8 * $(u16 $vts $cmds))) 20 04 00 00 00 00 00 $(printf %02x $((k + 1)))
    fi
  done
  cp $vmg dvd/VIDEO_TS/VIDEO_TS.BUP
  cp $vts dvd/VIDEO_TS/VTS_01_0.BUP
}

# Cells of one PAL title in the given backgrounds, each 4 s with the same GOPs, as NAME.mpg:
# cells "NAME:COLOUR:PATCH:WORDS" ...
cells() {
  local cell name colour patch words text
  for cell in "$@"; do
    IFS=: read -r name colour patch words <<<"$cell"
    text=""
    [ -f "$font" ] && text=",drawtext=fontfile=$font:fontsize=64:fontcolor=white:x=(w-tw)/2:y=(h-th)/2:text='$words'"
    ff -f lavfi -i "color=c=$colour:s=720x576:r=25:d=4" -f lavfi -i sine=frequency=440:duration=4 \
       -vf "$(marks 720 576 1 "$patch" 0)$text" -target pal-dvd -aspect 4:3 -g 12 -bf 2 -flags +cgop \
       -sc_threshold 1000000000 -b:v 800k -c:a ac3 -b:a 128k "$name.mpg"
  done
}

# dvdauthor 0.7 authors no angle blocks: the angles are authored as cells of their own, one
# after another, and interleaved afterwards.
author_angles() {
  cells lead:gray:0:LEAD-IN a1:0x702020:1:"ANGLE 1" a2:0x207020:2:"ANGLE 2" a3:0x202070:3:"ANGLE 3" \
    tail:gray:4:CLOSING
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm><menus><video format="pal"/></menus></vmgm>
 <titleset><titles><video format="pal" aspect="4:3"/><audio lang="en"/>
  <pgc>
   <vob file="lead.mpg"/>
   <vob file="a1.mpg"><cell start="0" chapter="1"/></vob>
   <vob file="a2.mpg"><cell start="0" chapter="0" program="0"/></vob>
   <vob file="a3.mpg"><cell start="0" chapter="0" program="0"/></vob>
   <vob file="tail.mpg"><cell start="0" chapter="0" program="0"/></vob>
  </pgc>
 </titles></titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
  g++ -std=c++20 -O1 -o interleave "$here/interleave.cpp"
  ./interleave dvd/VIDEO_TS 1 1 2 3
}

# plain.mpg under a forced white subtitle box through its first SECONDS (under ten), as
# title.mpg: forced_box SECONDS "x:y:w:h" (on a picture of $size, 720x576 unless it says)
forced_box() {
  overlay box.png white "$2"
  cat > box.xml <<XML
<subpictures format="PAL"><stream>
 <spu start="00:00:00.00" end="00:00:0$1.00" force="yes" image="box.png" transparent="000000"/>
</stream></subpictures>
XML
  spumux -s 0 box.xml < plain.mpg > title.mpg 2>> spumux.log
}

author_sizes() {
  menu menu Play Next 2 -vf "$(marks 720 576 0 5 0)"
  ff -f lavfi -i testsrc=size=352x288:rate=25:duration=4 -f lavfi -i sine=frequency=440:duration=4 \
     -vf "$(marks 352 288 1 6 0)" -target pal-dvd -s 352x288 -aspect 4:3 -g 12 -b:v 600k -c:a mp2 -b:a 128k plain.mpg
  size=352x288 forced_box 4 100:200:152:40
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm><fpc>jump titleset 1 menu;</fpc><menus><video format="ntsc"/></menus></vmgm>
 <titleset>
  <menus><video format="pal" resolution="720x576" aspect="4:3"/>
   <pgc entry="root"><vob file="menu.mpg"/>
    <button name="b1">jump title 1;</button>
    <button name="b2">jump title 1;</button>
    <post>jump title 1;</post>
   </pgc>
  </menus>
  <titles><video format="pal" resolution="352x288" aspect="4:3"/><subpicture lang="en"/>
   <pgc><vob file="title.mpg"/></pgc>
  </titles>
 </titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}

# Sets the VOBU-still bit of a program chain's first cell: vobu_still FILE PGC_OFFSET
vobu_still() {
  local cell=$(($2 + $(u16 "$1" $(($2 + 0xE8)))))
  put "$1" $((cell + 1)) "$(printf %02x $(($(od -An -tu1 -j $((cell + 1)) -N1 "$1") | 0x40)))"
}

author_stills() {
  menu menu Play Next 2 -vf "$(marks 720 576 0 3 0)" -g 10 -bf 2 -flags +cgop -sc_threshold 1000000000
  ff -f lavfi -i testsrc=size=720x576:rate=25:duration=3 -f lavfi -i sine=frequency=440:duration=3 \
     -vf "$(marks 720 576 1 0 0)" -target pal-dvd -aspect 4:3 -g 25 -bf 2 -flags +cgop -sc_threshold 1000000000 \
     -b:v 1500k -c:a ac3 -b:a 128k plain.mpg
  forced_box 3 200:480:320:40
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm>
  <fpc>jump menu 1;</fpc>
  <menus lang="en">
   <video format="pal" aspect="4:3"/>
   <pgc entry="title">
    <vob file="menu.mpg"/>
    <button name="b1">jump title 1;</button>
    <button name="b2">g0 = 1;</button>
    <post>jump title 1;</post>
   </pgc>
  </menus>
 </vmgm>
 <titleset><titles><video format="pal" aspect="4:3"/><audio lang="en"/><subpicture lang="en"/>
  <pgc><vob file="title.mpg"/></pgc>
 </titles></titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
  local vmg=dvd/VIDEO_TS/VIDEO_TS.IFO vts=dvd/VIDEO_TS/VTS_01_0.IFO ut lu pgcit
  ut=$(($(u32 $vmg $((0xC8))) * 2048))
  lu=$((ut + $(u32 $vmg $((ut + 12)))))
  vobu_still $vmg $((lu + $(u32 $vmg $((lu + 12)))))
  pgcit=$(($(u32 $vts $((0xCC))) * 2048))
  vobu_still $vts $((pgcit + $(u32 $vts $((pgcit + 12)))))
  cp $vmg dvd/VIDEO_TS/VIDEO_TS.BUP
  cp $vts dvd/VIDEO_TS/VTS_01_0.BUP
}

sync_of() {
  local seconds=$1 flash="lt(mod(t\\,1)\\,0.04)"
  ff -f lavfi -i "color=c=black:s=720x576:r=25:d=$seconds,drawbox=w=iw:h=ih:color=white:t=fill:enable='$flash'" \
     -f lavfi -i "aevalsrc='if($flash\\,0.5*sin(2*PI*1000*t)\\,0)':s=48000:d=$seconds" \
     -target pal-dvd -aspect 4:3 -g 12 -b:v 800k -c:a ac3 -ac 2 -b:a 192k sync.mpg 2>> coded.log
  cat > dvd.xml <<'XML'
<dvdauthor dest="dvd">
 <vmgm><menus><video format="pal"/></menus></vmgm>
 <titleset><titles><video format="pal" aspect="4:3"/><audio lang="en"/><pgc><vob file="sync.mpg"/></pgc></titles></titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}
author_sync() { sync_of 30; }
author_sync600() { sync_of 600; }

# A disc whose first play leads straight into its one title, FILE.mpg: motion_disc FORMAT FILE
motion_disc() {
  cat > dvd.xml <<XML
<dvdauthor dest="dvd">
 <vmgm><fpc>jump title 1;</fpc><menus><video format="$1"/></menus></vmgm>
 <titleset><titles><video format="$1" aspect="4:3"/><audio lang="en"/><pgc><vob file="$2.mpg"/></pgc></titles></titleset>
</dvdauthor>
XML
  dvdauthor -x dvd.xml > dvdauthor.log 2>&1
}

author_film() {
  ff -f lavfi -i "testsrc2=size=720x576:rate=25:duration=60,noise=alls=12:allf=t,$(marks 720 576 1 0 0)" \
     -f lavfi -i "anoisesrc=color=pink:amplitude=0.2:sample_rate=48000:duration=60" \
     -target pal-dvd -aspect 4:3 -b:v 6000k -c:a ac3 -ac 2 -b:a 192k film.mpg 2>> coded.log
  motion_disc pal film
}

# Video shot at twice the frame rate, woven into interlaced frames: woven FORMAT W H FIELD_RATE
woven() {
  # The marks go on the woven frames: a number that changes every field would stand still in
  # each field's lines, and any deinterlacer weaves what stands still.
  ff -f lavfi -i "testsrc2=size=$2x$3:rate=$4:duration=30,tinterlace=mode=interleave_top,setfield=tff,$(marks "$2" "$3" 1 0 0)" \
     -f lavfi -i "sine=frequency=440:duration=30" -target "$1-dvd" -aspect 4:3 -flags +ilme+ildct -top 1 \
     -b:v 5000k -c:a ac3 -ac 2 -b:a 192k video.mpg 2>> coded.log
  motion_disc "$1" video
}
author_interlaced() { woven pal 720 576 50; }
author_ntscvideo() { woven ntsc 720 480 60000/1001; }

author_pulldown() {
  ff -f lavfi -i "testsrc2=size=720x480:rate=24000/1001:duration=30,$(marks 720 480 1 0 0)" -pix_fmt yuv420p \
     -f yuv4mpegpipe film.y4m
  # mpeg2enc writes the pulldown as flags: 23.976 coded frames, every other one repeating a field.
  mpeg2enc -f 8 -p -F 1 -a 2 -b 5000 -o film.m2v < film.y4m 2>> coded.log
  ff -f lavfi -i "sine=frequency=440:duration=30" -c:a ac3 -ac 2 -b:a 192k sound.ac3
  mplex -f 8 -o film.mpg film.m2v sound.ac3 2>> coded.log
  motion_disc ntsc film
}

build() {
  local name=$1 work
  if [ -f "$out/$name/VIDEO_TS/VIDEO_TS.IFO" ] && [ "$(cat "$out/.stamps/$name" 2>/dev/null)" = "$stamp" ]; then
    return
  fi
  work="$(mktemp -d "$out/.work-$name.XXXXXX")"
  if ! (cd "$work" && "author_$name"); then
    echo "authoring $name failed; logs:" >&2
    cat "$work"/*.log >&2 2>/dev/null || true
    rm -rf "$work"
    exit 1
  fi
  rm -rf "$out/$name" "$out/.stamps/$name"
  mv "$work/dvd" "$out/$name"
  rm -rf "$work"
  echo "$stamp" > "$out/.stamps/$name"
  echo "made $out/$name"
}

(($#)) || set -- sample chapters300 angles sizes codings stills sync interlaced ntscvideo pulldown
for disc in "$@"; do build "$disc"; done
