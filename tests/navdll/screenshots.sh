#!/usr/bin/env bash
# Screenshots of what the navigator draws, in a plain window on the X display: a title
# playing and the disc's menu. Usage: screenshots.sh SHOWCASE_EXE OUTDIR
# Leaves OUTDIR/title.png and OUTDIR/menu.png; fails when a picture shows next to nothing.
set -euo pipefail
exe=$1
out=$2
mkdir -p "$out"
for scene in title menu; do
  ready="$out/$scene.ready"
  rm -f "$ready" "$ready.release" "$out/$scene.png"
  wine "$exe" "$scene" "$(winepath -w "$ready")" &
  pid=$!
  for _ in $(seq 600); do
    [ -s "$ready" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$ready" ]; then
    echo "the showcase did not reach the $scene" >&2
    wait "$pid" || true
    exit 1
  fi
  import -window root -crop "$(head -n1 "$ready")" +repage "$out/$scene.png"
  touch "$ready.release"
  wait "$pid"
  rm -f "$ready" "$ready.release"
done
for scene in title menu; do
  colours=$(convert "$out/$scene.png" -format %k info:)
  if [ "$colours" -lt 8 ]; then
    echo "$scene.png shows only $colours colours" >&2
    exit 1
  fi
  echo "$out/$scene.png: $colours colours"
done
