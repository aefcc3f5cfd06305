#!/usr/bin/env bash
# Cross-builds the minimal static LGPL FFmpeg the navigator decodes with, from Debian's source
# package, into $BUILD/ffmpeg-win (include/, lib/). Rebuilt only when the source version or the
# configure line changes.
# Usage: tools/ffmpeg.sh              builds when needed
#        tools/ffmpeg.sh --needed     only tells: true when a build would run
#        tools/ffmpeg.sh --describe   prints what the packages' notices state of the build: the
#                                     source package's name and version, the configure line, and
#                                     the folder of its sources; fails unless the installed build
#                                     is this one.
set -euo pipefail
. "$(dirname "$0")/env.sh"

prefix="$BUILD/ffmpeg-win"
srcdir="$BUILD/ffmpeg-src"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo

# Source entries mirror the machine's own binary entries, so no host is named here.
enable_sources() {
  local list=/etc/apt/sources.list added=""
  if cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
     grep -qE '^\s*(deb-src\s|Types:.*\bdeb-src\b)'; then
    return
  fi
  if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    awk 'BEGIN { RS = ""; ORS = "\n\n" } /(^|\n)Types: deb(\n|$)/ { sub(/Types: deb/, "Types: deb-src"); print }' \
      /etc/apt/sources.list.d/*.sources | $SUDO tee /etc/apt/sources.list.d/lumadisc-src.sources >/dev/null
    [ -s /etc/apt/sources.list.d/lumadisc-src.sources ] && added=1
  fi
  if [ -z "$added" ] && [ -f "$list" ] && grep -qE '^deb\s' "$list"; then
    sed -nE 's/^deb(\s)/deb-src\1/p' "$list" | $SUDO tee /etc/apt/sources.list.d/lumadisc-src.list >/dev/null
    added=1
  fi
  [ -n "$added" ] || { echo "ffmpeg: no binary package entries to derive source entries from" >&2; exit 1; }
  echo "ffmpeg: enabled source package entries; updating the package lists"
  $SUDO apt-get update -q >/dev/null
}

fetch_source() {
  if compgen -G "$srcdir/ffmpeg_*.dsc" >/dev/null && compgen -G "$srcdir/ffmpeg-*/configure" >/dev/null; then
    return
  fi
  enable_sources
  echo "ffmpeg: fetching the ffmpeg source package"
  rm -rf "$srcdir" && mkdir -p "$srcdir"
  # Source entries someone else added may not have been fetched yet: update once and retry.
  (cd "$srcdir" && apt-get source -q ffmpeg >apt-source.log 2>&1) ||
    { $SUDO apt-get update -q >/dev/null && (cd "$srcdir" && apt-get source -q ffmpeg >apt-source.log 2>&1); } ||
    { cat "$srcdir/apt-source.log" >&2; exit 1; }
}

configure_line=(
  --prefix="$prefix" --enable-cross-compile --target-os=mingw32 --arch=x86_64
  --cross-prefix=x86_64-w64-mingw32- --cc=x86_64-w64-mingw32-gcc-posix --cxx=x86_64-w64-mingw32-g++-posix
  --pkg-config=false --enable-static --disable-shared --disable-autodetect --disable-programs --disable-doc
  --disable-network --disable-everything --disable-avdevice --disable-avformat
  --disable-postproc --enable-avcodec --enable-avfilter --enable-swscale --enable-swresample
  --enable-decoder=mpeg2video,mpeg1video,ac3,mp1,mp2,pcm_dvd,dca,dvdsub
  --enable-parser=mpegvideo,ac3,mpegaudio,dca,dvdsub
  --enable-filter=buffer,buffersink,bwdif
)

stamp_of_source() {
  dsc="$(basename "$(ls "$srcdir"/ffmpeg_*.dsc | head -n1)")"
  stamp="$(printf '%s\n' "$dsc" "${configure_line[@]}" "$(x86_64-w64-mingw32-gcc-posix -dumpversion)" | sha256sum | cut -d' ' -f1)"
}

if [ "${1:-}" = --needed ]; then
  compgen -G "$srcdir/ffmpeg_*.dsc" >/dev/null || exit 0
  stamp_of_source
  [ "$(cat "$prefix/.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -f "$prefix/lib/libavcodec.a" ]
  exit
fi

if [ "${1:-}" = --describe ]; then
  stamp_of_source
  # The stamp of the folder the build really is in: the build tree may link to another's.
  built="$(readlink -f "$prefix")"
  described="$(printf '%s\n' "$dsc" "${configure_line[@]/#--prefix=*/--prefix=$built}" "$(x86_64-w64-mingw32-gcc-posix -dumpversion)" | sha256sum | cut -d' ' -f1)"
  [ "$(cat "$prefix/.stamp" 2>/dev/null)" = "$described" ] || { echo "ffmpeg: the build is not the one described; run tools/ffmpeg.sh" >&2; exit 1; }
  echo "${dsc%.dsc}" | tr _ ' '
  echo "${configure_line[*]}" | sed "s|--prefix=$prefix |--prefix=PREFIX |"
  dirname "$(ls "$srcdir"/ffmpeg-*/configure | head -n1)"
  exit 0
fi

fetch_source
stamp_of_source
if [ "$(cat "$prefix/.stamp" 2>/dev/null)" = "$stamp" ] && [ -f "$prefix/lib/libavcodec.a" ]; then
  echo "ffmpeg: up to date (${dsc%.dsc})"
  exit 0
fi

src="$(dirname "$(ls "$srcdir"/ffmpeg-*/configure | head -n1)")"
work="$BUILD/ffmpeg-obj"
rm -rf "$work" "$prefix" && mkdir -p "$work"
echo "ffmpeg: configuring ${dsc%.dsc} for x86_64-w64-mingw32"
(cd "$work" && "$src/configure" "${configure_line[@]}" >configure.log 2>&1) ||
  { tail -n 30 "$work/ffbuild/config.log" >&2 2>/dev/null || cat "$work/configure.log" >&2; exit 1; }
grep -q 'License: LGPL' "$work/configure.log" || { echo "ffmpeg: configuration is not LGPL" >&2; exit 1; }
echo "ffmpeg: building"
make -C "$work" -j "$(nproc)" >"$work/make.log" 2>&1 || { tail -n 30 "$work/make.log" >&2; exit 1; }
make -C "$work" install >>"$work/make.log" 2>&1 || { tail -n 30 "$work/make.log" >&2; exit 1; }
echo "$stamp" >"$prefix/.stamp"
rm -rf "$work"
echo "ffmpeg: installed into $prefix"
