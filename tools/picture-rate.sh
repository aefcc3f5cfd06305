#!/usr/bin/env bash
# The pictures the screen shows a second while a disc plays at rate 1: the player's, then mpv's
# on the same disc, at the same place and size on the same display. The picture's frame-number
# marks are read from the screen every 4 ms (tests/e2e/bench/picture_rate.cpp); also printed: the
# time from Play (mpv: from its start) to the second picture, and the CPU a second of the player
# with Wine's server, and of mpv (the X server's, which both make work, is in neither).
# Usage: tools/picture-rate.sh [--check] [--slow-drive] [SECONDS [DISC...]]   (20 s; interlaced ntscvideo pulldown)
# The discs are authored into $LUMADISC_DISCS, or the build tree's discs folder.
# --check: exits 1 when the player shows fewer than 0.97 of a disc's pictures (with --slow-drive
# also when one is seen for 0.1 s or more, or its sound is broken).
# --slow-drive: the disc is read through a drive at single speed that seeks for 150 ms
# (tests/drive/slow-drive.sh), the player alone, its sound captured and the discs' tone checked
# unbroken, the drive's reads summed up; exits 77 where FUSE cannot be mounted.
set -uo pipefail
cd "$(dirname "$0")/.."
. tools/env.sh
check="" slow=""
while [[ "${1:-}" == --* ]]; do
  case $1 in
    --check) check=1 ;;
    --slow-drive) slow=1 ;;
    *) sed -n '7p' "$0" >&2; exit 2 ;;
  esac
  shift
done
seconds=${1:-20}
shift $(($# > 0 ? 1 : 0))
(($#)) || set -- interlaced ntscvideo pulldown
discs="${LUMADISC_DISCS:-$BUILD/discs}"
bash tests/discs/make-discs.sh "$discs" "$@" >/dev/null || exit 1
discs="$(cd "$discs" && pwd)"
cleanup() { stop_wine; stop_display; [ -n "${work:-}" ] && rm -rf "$work"; }
trap cleanup EXIT
start_display || exit 1
tools/prefix.sh || exit 1
work="$(mktemp -d)"
mkdir -p "$BUILD/logs"
export LUMADISC_EXE="$BUILD/win/src/lumadisc.exe"
probe="$BUILD/win/tests/e2e/picture_rate.exe"
status=0
# A probe takes the seconds counted and a minute at most besides (the picture awaited, Stop and
# Play, closing): past that it is stuck, and says where.
limit=$((seconds + 90))

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

# The player alone with the disc in a single-speed drive (D:), what it plays written to a file.
through_slow_drive() {
  local disc=$1 rate=$2 fields=$3 drive
  drive="$(pwd)/tests/drive/slow-drive.sh"
  echo "== $disc from a single-speed drive: $rate pictures a second"
  (cd "$BUILD" && bounded "$limit" "$drive" d "$discs/$disc" --rate=1385000 --seek-ms=150 -- \
    env ${check:+LUMADISC_PICTURES_CHECK=1} ALSA_CONFIG_PATH="$ROOT/tests/e2e/alsa-capture.conf" \
      LUMADISC_SOUND_FILE="$work/sound.wav" wine "$probe" player "$seconds" "$rate" "$fields" >"$work/out" 2>&1)
  local result=$?
  tr -d '\r' <"$work/out" | grep -v '^picture at'
  stop_wine
  return $result
}

for disc in "$@"; do
  read -r rate fields interlaced < <(expected "$disc")
  if [ -n "$slow" ]; then
    through_slow_drive "$disc" "$rate" "$fields"
    result=$?
    [ $result -eq 77 ] && exit 77
    [ $result -eq 0 ] || status=1
    continue
  fi
  tools/present-drive.sh d "$discs/$disc" "${disc^^}" >/dev/null || exit 1
  echo "== $disc: $rate pictures a second"
  # Into a file: the player writes where the probe does, and may outlive it.
  bounded "$limit" env ${check:+LUMADISC_PICTURES_CHECK=1} wine "$probe" player "$seconds" "$rate" "$fields" \
    >"$work/out" 2>&1 || status=1
  out="$(tr -d '\r' <"$work/out")"
  grep -v '^picture at' <<<"$out"
  read -r x y w h < <(sed -n 's/^picture at //p' <<<"$out")
  stop_wine
  [ -n "${w:-}" ] || continue
  if ! command -v mpv >/dev/null; then echo "mpv      not installed"; continue; fi
  go="$work/go" pid="$work/pid"
  rm -f "$go" "$pid"
  bounded "$limit" wine "$probe" region "$x" "$y" "$w" "$h" "$seconds" "$rate" "$fields" "$(winepath -w "$go")" \
    "$(winepath -w "$pid")" >"$work/out" 2>&1 &
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
  tr -d '\r' <"$work/out" | sed 's/^other  /mpv    /'
done
exit $status
