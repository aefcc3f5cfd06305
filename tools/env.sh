# Sourced by the scripts: build folders and a Wine session private to the build tree.
# Never touches ~/.wine: WINEPREFIX always points inside the build folder.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${LUMADISC_BUILD:-$ROOT/build}"
export LUMADISC_BUILD="$BUILD"
# LUMADISC_WINEPREFIX names another prefix inside the build tree (the package tests' own).
export WINEPREFIX="${LUMADISC_WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No Mono or Gecko download prompts: the player needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# A null ALSA device lets the DirectSound renderer exist without a sound card; the tests always
# use it, so they never sound and never depend on a card.
export ALSA_CONFIG_PATH="$ROOT/tools/alsa-null.conf"
# True when the machine has somewhere to play sound: an ALSA card, or a sound server that ALSA's
# default device leads to.
has_sound_device() {
  grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null && return
  [ -n "${PULSE_SERVER:-}" ] || [ -S "${XDG_RUNTIME_DIR:-/run/user/$(id -u)}/pulse/native" ]
}

XVFB_PID=""
# Uses $DISPLAY when it answers, otherwise starts a private Xvfb (ended by stop_display).
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
    kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
  done
  echo "could not start Xvfb" >&2; return 1
}
stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""; fi
}
# True when the display has a window manager: a manager that follows the desktop conventions
# names its check window on the root window, and that window still exists while it runs.
has_window_manager() {
  local id
  id="$(xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-fA-F]*')" || return 1
  xprop -id "$id" -notype _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}

# One line per stage of a long script, with the seconds spent so far.
stage() { printf '[%3ds] %s\n' "$SECONDS" "$*"; }

# Runs a command with its output kept in $BUILD/logs/NAME.log, shown only when it fails.
logged() {
  local log="$BUILD/logs/$1.log"
  shift
  mkdir -p "$BUILD/logs"
  "$@" >"$log" 2>&1 && return
  tail -n 40 "$log" >&2
  echo "failed; the whole output is in $log" >&2
  return 1
}

stop_wine() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }

# Runs a command for SECONDS at most. Past that it is stuck: where every thread of the prefix's
# programs stands is printed (Wine's own services left out), Wine is ended, and it returns 124.
bounded() {
  local limit=$1 pid tenths=0
  shift
  "$@" &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if ((tenths++ >= limit * 10)); then
      echo "stuck after $limit s; the threads of its programs:"
      winedbg --command "bt all" 2>&1 | awk '/^Backtracing for thread/ {
        keep = !/winedbg|services|winedevice|plugplay|explorer|svchost|rpcss|conhost|start\.exe/ } keep'
      stop_wine
      wait "$pid"
      return 124
    fi
    sleep 0.1
  done
  wait "$pid"
}
