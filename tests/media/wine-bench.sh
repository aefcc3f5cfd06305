#!/usr/bin/env bash
# Frames per CPU second of MPEG-2 decoding to BGRA: the media layer's Windows build under Wine,
# then the native ffmpeg program (one thread, raw BGRA out, start-up included) on the same VOBs.
# Prints figures; fails only when something does not run. wine-bench.sh EXE DISCS WORKDIR
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 EXE DISCS WORKDIR" >&2; exit 2; }
exe=$1 discs=$2 work=$3
mkdir -p "$work"
ntsc="$work/ntsc-720x480.vob"
[ -f "$ntsc" ] || ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=720x480:rate=30000/1001:duration=20 \
  -target ntsc-dvd -bf 2 -b:v 5000k -an -y "$ntsc"
pal="$discs/sample/VIDEO_TS/VTS_01_1.VOB"

wine "$exe" "Z:$ntsc" "Z:$pal"
for vob in "$ntsc" "$pal"; do
  frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$vob")
  TIMEFORMAT='%U %S'
  cpu=$({ time ffmpeg -nostdin -loglevel error -threads 1 -i "$vob" -map 0:v:0 -fps_mode passthrough \
            -c:v rawvideo -pix_fmt bgra -f null - ; } 2>&1)
  awk -v f="$frames" -v c="$cpu" -v v="$vob" \
    'BEGIN { split(c, t, " "); printf "native ffmpeg -threads 1:          %7.0f frames/s with BGRA (%s)\n", f / (t[1] + t[2]), v }'
done
