#!/usr/bin/env bash
# One package as a user meets it, in a brand-new prefix of its own that no registration ever
# touched, torn down at the end:
#   setup  the installer, silently, into a prefix set to Windows 10: the installed player plays
#          the sample disc; the DLL's classes are registered nowhere and another program gets
#          the platform's; a second install leaves one uninstall entry and keeps the settings;
#          the silent uninstall leaves no file, shortcut or entry behind, and the settings
#   zip    the portable zip unpacked into a folder whose name has spaces and letters beyond
#          ASCII, in a prefix set to Windows 7: the player plays the sample disc from there
# Usage: package-test.sh setup|zip E2E_TESTS PLATFORM_CLASS
set -uo pipefail
[ $# -eq 3 ] || { sed -n '2,10s/^# //p' "$0" >&2; exit 2; }
kind=$1 e2e=$2 probe=$3
. "$(dirname "$0")/../../tools/env.sh"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/win/CMakeCache.txt")"
packages="$BUILD/packages"
export LUMADISC_WINEPREFIX="$BUILD/package-tests/$kind"
export WINEPREFIX="$LUMADISC_WINEPREFIX"
# A shortcut made in the prefix stays in it, with no menu entry for the desktop outside.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
# Paths beyond ASCII reach Windows programs through the environment intact.
export LC_ALL=C.UTF-8

status=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; status=1; fi
}
teardown() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; }
trap teardown EXIT

# The player plays the sample disc from drive D: to its picture, frame counter and time label
# agreeing, and is closed.
plays() { LUMADISC_EXE="$1" LUMADISC_SHOTS="$BUILD/package-tests" wine "$e2e" --gtest_filter='PictureTime.*' --gtest_brief=1; }

# Every registry key of the prefix that names the DLL, once the registry is on disk.
keys_naming_dll() {
  wineserver -w
  awk 'tolower($0) ~ /lumanav/ && section != "" { print section; section = "" } /^\[/ { section = $0 }' \
    "$WINEPREFIX"/system.reg "$WINEPREFIX"/user.reg "$WINEPREFIX"/userdef.reg
}
no_class_names_dll() {
  local keys
  keys="$(keys_naming_dll)"
  [ -z "$keys" ] || printf 'keys naming lumanav: %s\n' "$keys"
  ! grep -qiE 'classes|clsid' <<<"$keys"
}

teardown
rm -rf "$WINEPREFIX"
mkdir -p "$BUILD/package-tests"
case "$kind" in setup) windows=win10 ;; zip) windows=win7 ;; *) exit 2 ;; esac
start=$SECONDS
"$ROOT/tools/prefix.sh" || exit 1
wine winecfg -v "$windows"
echo "prefix set to $(wine reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v ProductName | tr -d '\r' | sed -n 's/.*REG_SZ *//p') in $((SECONDS - start)) s"
"$ROOT/tools/present-drive.sh" d "$BUILD/discs/sample" LUMADISC_SAMPLE >/dev/null || exit 1

if [ "$kind" = zip ]; then
  folder="$WINEPREFIX/drive_c/Mein Player für DVDs – Ærø"
  mkdir -p "$folder"
  unzip -q "$packages/lumadisc-$version-win64.zip" -d "$folder" || exit 1
  check "the unpacked player plays the sample disc" plays "C:\\Mein Player für DVDs – Ærø\\lumadisc-$version\\lumadisc.exe"
  check "no registry key of a class names the DLL" no_class_names_dll
  teardown
  [ "$status" = 0 ] && rm -rf "$WINEPREFIX"
  exit $status
fi

programs="$WINEPREFIX/drive_c/Program Files/Lumadisc"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumadisc.lnk"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
setup="$(winepath -w "$packages/lumadisc-$version-setup.exe")"
entries() { wine reg query "$uninstall" /s | tr -d '\r' | grep -c 'DisplayName *REG_SZ *Lumadisc$'; }
settings_kept() { wine reg query 'HKLM\Software\Lumadisc' /v PackageTest >/dev/null 2>&1; }
installed() {
  local file
  for file in lumadisc.exe lumanav.dll uninstall.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    [ -f "$programs/$file" ] || { echo "missing: $file"; return 1; }
  done
  [ -f "$shortcut" ] || { echo "no Start menu shortcut"; return 1; }
}
entry_complete() {
  local entry value
  entry="$(wine reg query "$uninstall\\Lumadisc" | tr -d '\r')"
  echo "$entry" | sed -n 's/^ *\([A-Za-z]*\) *REG_[A-Z_]* *\(.*\)/  \1 = \2/p'
  for value in "DisplayName *REG_SZ *Lumadisc$" "DisplayVersion *REG_SZ *$version$" "Publisher *REG_SZ *." \
               'DisplayIcon *REG_SZ *C:\\Program Files\\Lumadisc\\lumadisc.exe,0' "EstimatedSize *REG_DWORD *0x[1-9a-f]" \
               'UninstallString *REG_SZ *"C:\\Program Files\\Lumadisc\\uninstall.exe"'; do
    grep -q "$value" <<<"$entry" || { echo "no value matching $value"; return 1; }
  done
}

wine "$setup" /S
check "the silent setup installs the files and the Start menu shortcut" installed
check "the uninstall entry has name, version, publisher, icon, size and uninstall string" entry_complete
check "the installed player plays the sample disc" plays 'C:\Program Files\Lumadisc\lumadisc.exe'
check "no registry key of a class names the DLL" no_class_names_dll
check "another program gets the platform's DVD graph builder" wine "$probe"

wine reg add 'HKLM\Software\Lumadisc' /v PackageTest /d kept /f >/dev/null
wine "$setup" /S
check "installing again leaves one uninstall entry" test "$(entries)" = 1
check "installing again keeps the settings" settings_kept

# The uninstaller runs from a copy of itself and returns at once: wait for the folder to go.
wine 'C:\Program Files\Lumadisc\uninstall.exe' /S
for _ in $(seq 120); do [ -e "$programs" ] || break; sleep 0.5; done
wineserver -w
check "the silent uninstall leaves no file in Program Files" test ! -e "$programs"
check "the silent uninstall removes the shortcut" test ! -e "$shortcut"
check "the silent uninstall removes the uninstall entry" test "$(entries)" = 0
check "the silent uninstall keeps the settings" settings_kept
teardown
[ "$status" = 0 ] && rm -rf "$WINEPREFIX"
exit $status
