#!/usr/bin/env bash
# Builds the Windows packages into $BUILD/packages: lumadisc-VERSION-win64.zip, to unpack and
# run, and lumadisc-VERSION-setup.exe, the installer.
# Usage: tools/package.sh           installs what is missing, builds the program and the DLL first
#        tools/package.sh --built   packages what is built (the test run's way)
set -euo pipefail
. "$(dirname "$0")/env.sh"
if [ "${1:-}" != --built ]; then
  "$ROOT/tools/setup.sh"
  "$ROOT/tools/build.sh" lumadisc lumanav
fi

cache="$BUILD/win/CMakeCache.txt"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")"
[ -n "$version" ] || { echo "package: no project version in $cache" >&2; exit 1; }
# The package's facts come from the build's own version header, as the resources do.
define() { sed -n "s/^#define LUMADISC_$1 \"\(.*\)\"$/\1/p" "$BUILD/win/version/Version.h"; }
ffmpeg=()
mapfile -t ffmpeg < <("$ROOT/tools/ffmpeg.sh" --describe)
[ "${#ffmpeg[@]}" = 3 ] || { echo "package: tools/ffmpeg.sh --describe gave no description" >&2; exit 1; }

# What is packaged must be what this version built: both carry it in their version resources.
for binary in lumadisc.exe lumanav.dll; do
  x86_64-w64-mingw32-windres -i "$BUILD/win/src/$binary" -O rc | grep -q "VALUE \"ProductVersion\", \"$version\"" ||
    { echo "package: $binary does not carry version $version" >&2; exit 1; }
done

# Wine has every function whatever Windows it plays, so a prefix set to Windows 7 cannot show
# that a binary needs a newer one: those the program or its runtime have reached for are refused.
newer='SetThreadDescription|GetThreadDescription|GetSystemTimePreciseAsFileTime|WaitOnAddress|WakeByAddress|CreateFile2|CopyFile2|GetDpiFor|ForDpi|DpiAwarenessContext|GetCurrentThreadStackLimits|SynchronizationBarrier|PrefetchVirtualMemory|api-ms-win-'
for binary in lumadisc.exe lumanav.dll; do
  if x86_64-w64-mingw32-objdump -p "$BUILD/win/src/$binary" | grep -E "DLL Name|^\s+[0-9a-f]+\s+[0-9]+ " | grep -E "$newer"; then
    echo "package: $binary imports what Windows 7 does not have" >&2; exit 1
  fi
done

out="$BUILD/packages"
name="lumadisc-$version"
stage="$out/$name"
rm -rf "$stage" && mkdir -p "$stage"
cp "$BUILD/win/src/lumadisc.exe" "$BUILD/win/src/lumanav.dll" "$stage/"
# Text files with Windows line ends, so every Notepad shows them as written.
crlf() { sed 's/\r*$/\r/' >"$stage/$1"; }
sed "s/@VERSION@/$version/" "$ROOT/package/README.txt" | crlf README.txt
crlf LICENSE.txt <"$ROOT/LICENSE"
title="Third-party software in Lumadisc $version"
{
  printf '%s\n%s\n' "$title" "${title//?/=}"
  cat <<NOTICE

1. FFmpeg
---------
lumanav.dll contains parts of FFmpeg (libavcodec, libavfilter, libavutil, libswscale,
libswresample), linked statically. FFmpeg is free software under the GNU Lesser General Public
License version 2.1 or later; its full text follows at the end of this file. FFmpeg's authors
hold its copyright; the FFmpeg build used here has no GPL or non-free parts.

Source: Debian's source package ${ffmpeg[0]% *}, version ${ffmpeg[0]#* }
(what "apt-get source ${ffmpeg[0]% *}=${ffmpeg[0]#* }" fetches on Debian), unchanged.

Configured for 64-bit Windows with:
  ./configure ${ffmpeg[1]}
and built with MinGW-w64 GCC ($(x86_64-w64-mingw32-gcc-posix -dumpversion), posix threads); PREFIX is the folder it is installed
into.

Rebuilding lumanav.dll with another FFmpeg: Lumadisc's source code is published under the MIT
licence with every release. Build FFmpeg (this version, a changed one or another) as static
libraries with the configure line above, then in Lumadisc's source folder:
  cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DLUMADISC_FFMPEG=PREFIX
  cmake --build build --target lumanav
and put build/src/lumanav.dll in place of the one beside lumadisc.exe. The project's
tools/ffmpeg.sh does the first step from Debian's source package, and tools/build.sh both.

2. MinGW-w64 runtime and GCC's runtime libraries
------------------------------------------------
lumadisc.exe and lumanav.dll contain the MinGW-w64 runtime and winpthreads, whose licences
follow, and GCC's C++ and support libraries (libstdc++, libgcc), which are under the GNU GPL
version 3 with the GCC Runtime Library Exception: that exception allows them in programs under
any licence with no further conditions.

NOTICE
  sed 's/^/    /' /usr/share/doc/mingw-w64-x86-64-dev/copyright
  printf '\n3. GNU Lesser General Public License, version 2.1 (FFmpeg)\n----------------------------------------------------------\n\n'
  cat "${ffmpeg[2]}/COPYING.LGPLv2.1"
} | crlf THIRD-PARTY-NOTICES.txt

rm -f "$out/$name-win64.zip"
(cd "$out" && zip -q -X -r "$name-win64.zip" "$name")
makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DVERSION_QUAD="$(define VERSION_QUAD)" -DCOMPANY="$(define COMPANY)" \
  -DCOPYRIGHT="$(define COPYRIGHT)" -DICON="$ROOT/src/app/lumadisc.ico" -DSTAGE="$stage" \
  -DOUTFILE="$out/$name-setup.exe" "$ROOT/package/lumadisc.nsi" >"$out/makensis.log" ||
  { cat "$out/makensis.log" >&2; exit 1; }
for artifact in "$out/$name-win64.zip" "$out/$name-setup.exe"; do
  printf '%s  %s bytes\n' "$artifact" "$(stat -c %s "$artifact")"
done
