#!/usr/bin/env bash
# The build check with a second compiler: every source of the program, the navigator DLL and
# the tools is compiled (checked, no code generated) by the cross GCC and by Debian's clang for
# the same target, with the same headers and flags and warnings as errors. GoogleTest and FFmpeg
# are not checked. Needs the Windows build configured (tools/build.sh).
set -euo pipefail
. "$(dirname "$0")/env.sh"
db="$BUILD/win/compile_commands.json"
[ -f "$db" ] || { echo "no $db: run tools/build.sh first" >&2; exit 1; }
gcc=x86_64-w64-mingw32-g++-posix
# clang finds the MinGW-w64 headers by itself; the C++ library headers are GCC's.
clang=(clang++ --target=x86_64-w64-mingw32)
while read -r dir; do clang+=(-isystem "$dir"); done < <(
  echo | "$gcc" -xc++ -E -v - 2>&1 | sed -n 's/^ \(.*include\/c++.*\)$/\1/p')

# One line per own source: directory, command, file.
entries="$(awk -F'"' '/"directory":/ { d = $4 } /"command":/ { c = $4 } /"file":/ { print d "\t" c "\t" $4 }' "$db" |
  grep -E "	$ROOT/(src|navigator|tools)/")"
# check DIR COMMAND FILE: the build's command for FILE, run by $COMPILER without generating code.
check() {
  local flags
  flags="$(sed -E 's/ -o [^ ]+ -c [^ ]+$//; s/^[^ ]+//' <<<"$2")"
  (cd "$1" && eval "$COMPILER $flags -Werror -fsyntax-only \"$3\"")
}
export -f check
failed=0
for COMPILER in "$gcc" "${clang[*]}"; do
  export COMPILER
  echo "== ${COMPILER%% *}: $(wc -l <<<"$entries") sources, warnings as errors"
  while IFS=$'\t' read -r dir command file; do printf '%s\0%s\0%s\0' "$dir" "$command" "$file"; done <<<"$entries" |
    xargs -0 -n 3 -P "$(nproc)" bash -c 'check "$0" "$1" "$2"' || failed=1
done
exit $failed
