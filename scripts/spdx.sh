#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file names its licence in its first line (after a shebang,
# where there is one):
#   // SPDX-License-Identifier: GPL-3.0-or-later   C++ sources and headers
#   # SPDX-License-Identifier: GPL-3.0-or-later    CMake, shell and Python
#
#   scripts/spdx.sh [DIR]           adds the line to each file without it and
#                                   names the file; running it again changes
#                                   nothing
#   scripts/spdx.sh --check [DIR]   names each file without it and fails when
#                                   there is one
# DIR is the source tree, the one this script is in by default; build folders
# (build/ and any folder holding a CMakeCache.txt) and hidden folders other
# than .ci/ are passed over.
set -euo pipefail

check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
root=${1:-"$(dirname "$0")/.."}
cd "$root"

readonly id="SPDX-License-Identifier: GPL-3.0-or-later"

# The comment that opens a line in the file, or nothing for a file that is
# not source.
style() {
  case "${1##*/}" in
    *.cpp | *.h | *.h.in) echo "//" ;;
    CMakeLists.txt | *.cmake | *.sh | *.py) echo "#" ;;
    *.*) ;;
    *) case "$(head -c 64 "$1" | head -n 1)" in
         '#!'*sh* | '#!'*python*) echo "#" ;;
       esac ;;
  esac
}

has_line() { # file, expected line
  local first
  first=$(head -n 1 "$1")
  if [ "${first#'#!'}" != "$first" ]; then
    [ "$(sed -n 2p "$1")" = "$2" ]
  else
    [ "$first" = "$2" ]
  fi
}

add_line() { # file, line
  local tmp
  tmp=$(mktemp)
  if [ "$(head -c 2 "$1")" = "#!" ]; then
    { head -n 1 "$1"; printf '%s\n' "$2"; tail -n +2 "$1"; } > "$tmp"
  else
    { printf '%s\n' "$2"; cat "$1"; } > "$tmp"
  fi
  # Written into the same file, so that its mode stays as it was.
  cat "$tmp" > "$1"
  rm -f "$tmp"
}

# The whole run is one function, read before it starts: the script may be
# adding the line to itself.
main() {
  lacking=0
  while IFS= read -r -d '' file; do
    file=${file#./}
    comment=$(style "$file")
    [ -n "$comment" ] || continue
    line="$comment $id"
    has_line "$file" "$line" && continue
    if [ "$check" -eq 1 ]; then
      echo "no licence line ($line): $file"
      lacking=$((lacking + 1))
    else
      add_line "$file" "$line"
      echo "licence line added: $file"
    fi
  done < <(find . \( -type d \( -path ./build -o \( -name '.*' ! -name . ! -name .ci \) \
                                -o -exec test -e '{}/CMakeCache.txt' \; \) -prune \) \
                  -o -type f -print0 | sort -z)

  if [ "$check" -eq 1 ] && [ "$lacking" -gt 0 ]; then
    echo "source files without a licence line: $lacking (scripts/spdx.sh adds it)"
    exit 1
  fi
}

main "$@"; exit
