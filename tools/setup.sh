#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the player need (idempotent).
set -euo pipefail
packages=(
  cmake make g++ g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick
  googletest libbenchmark-dev clang libclang-rt-14-dev
  ffmpeg dvdauthor libdvdread-dev libdvdnav-dev lsdvd fonts-dejavu-core genisoimage dvd-slideshow mjpegtools mpv
  nsis zip unzip
  fuse3 libfuse3-dev
  nasm dpkg-dev pkg-config libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
