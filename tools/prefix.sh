#!/usr/bin/env bash
# Prepares the private Wine prefix: created on demand. The navigator DLL is registered nowhere:
# the player creates its classes from beside itself, as on Windows.
# Usage: tools/prefix.sh   (needs a display: run it after start_display, or it starts one)
set -euo pipefail
. "$(dirname "$0")/env.sh"
own_display=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then start_display; own_display=1; fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# Without a window manager nobody draws frames and captions: let Wine draw them itself, as
# Windows does, which also spares every shown window the wait for a manager that never answers.
if has_window_manager; then
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
else
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
fi
# Wine looks for its own fonts where Debian does not put them: the prefix gets those the program
# shows among its system fonts, or caption buttons show letters instead of Marlett's symbols and
# forms fall back to a wider face than MS Sans Serif, which cuts button texts.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in marlett.ttf sserife.fon; do
  if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
    mkdir -p "$fonts" && cp "/usr/share/wine/fonts/$font" "$fonts/"
  fi
done
# A prefix where earlier builds registered the navigator over the platform's classes gets the
# platform's back.
if wine reg query 'HKCR\CLSID\{FCC152B7-F372-11D0-8E00-00C04FD7C08B}\InprocServer32' /ve 2>/dev/null | grep -qi lumanav; then
  wine regsvr32 /s qdvd.dll >/dev/null 2>&1 || echo "warning: the platform's DVD classes could not be registered again" >&2
fi
wineserver -w
[ "$own_display" = 1 ] && stop_display
exit 0
