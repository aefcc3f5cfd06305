#!/usr/bin/env bash
# The pictures the screen shows a second while a disc plays at rate 1: the player's, then mpv's
# on the same disc, at the same place and size on the same display. The picture's frame-number
# marks are read from the screen every 4 ms (tests/e2e/bench/picture_rate.cpp); also printed: the
# time from Play (mpv: from its start) to the second picture, and the CPU a second of the player
# with Wine's server, and of mpv (the X server's, which both make work, is in neither).
# Usage: tools/picture-rate.sh [--check] [SECONDS [DISC...]]   (20 s; interlaced ntscvideo pulldown)
# The discs are authored into $LUMADISC_DISCS, or the build tree's discs folder.
# --check: exits 1 when the player shows fewer than 0.97 of a disc's pictures.
set -uo pipefail
cd "$(dirname "$0")/.."
. tools/env.sh
check=""
if [ "${1:-}" = --check ]; then check=1; shift; fi
seconds=${1:-20}
shift $(($# > 0 ? 1 : 0))
(($#)) || set -- interlaced ntscvideo pulldown
discs="${LUMADISC_DISCS:-$BUILD/discs}"
bash tests/discs/make-discs.sh "$discs" "$@" >/dev/null || exit 1
cleanup() { stop_wine; stop_display; [ -n "${work:-}" ] && rm -rf "$work"; }
trap cleanup EXIT
start_display || exit 1
tools/prefix.sh || exit 1
work="$(mktemp -d)"
export LUMADISC_EXE="$BUILD/win/src/lumadisc.exe"
probe="$BUILD/win/tests/e2e/picture_rate.exe"
status=0

# Pictures a second each disc must show; its field rate where each picture must stand for two
# or three fields; whether it is interlaced. Interlaced video shows each field as a picture.
expected() {
  case $1 in
    interlaced) echo "50 0 yes" ;;
    ntscvideo) echo "59.94 0 yes" ;;
    pulldown) echo "23.976 59.94 no" ;;
    *) echo "25 0 no" ;;
  esac
}

for disc in "$@"; do
  read -r rate fields interlaced < <(expected "$disc")
  tools/present-drive.sh d "$discs/$disc" "${disc^^}" >/dev/null || exit 1
  echo "== $disc: $rate pictures a second"
  out="$(env ${check:+LUMADISC_PICTURES_CHECK=1} wine "$probe" player "$seconds" "$rate" "$fields" 2>&1 | tr -d "\r")" || status=1
  grep -v '^picture at' <<<"$out"
  read -r x y w h < <(sed -n 's/^picture at //p' <<<"$out")
  stop_wine
  [ -n "${w:-}" ] || continue
  if ! command -v mpv >/dev/null; then echo "mpv      not installed"; continue; fi
  go="$work/go" pid="$work/pid"
  rm -f "$go" "$pid"
  wine "$probe" region "$x" "$y" "$w" "$h" "$seconds" "$rate" "$fields" "$(winepath -w "$go")" "$(winepath -w "$pid")" \
    2>&1 | sed 's/^other  /mpv    /' &
  probe_pid=$!
  while [ ! -e "$go" ] && kill -0 "$probe_pid" 2>/dev/null; do sleep 0.005; done
  # mpv's defaults but for the window: software decoding and X11 output, and its deinterlacer
  # (yadif at field rate) for interlaced discs, where it would otherwise show woven frames.
  mpv --no-config --really-quiet --vo=x11 --hwdec=no --no-border --geometry="${w}x${h}+${x}+${y}" \
      --deinterlace="$interlaced" \
      --dvd-device="$discs/$disc" dvd:// >"$BUILD/logs/mpv.log" 2>&1 &
  player_pid=$!
  echo "$player_pid" > "$pid"
  wait "$probe_pid"
  kill "$player_pid" 2>/dev/null
  wait "$player_pid" 2>/dev/null
done
exit $status
