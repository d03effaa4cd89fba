#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/spdx.sh on a small tree: the line goes first, or after a shebang,
# in each kind of source file's own comment; files that are no source and
# build folders are left alone; a second run changes nothing; the check
# names a file without the line and passes once there is none.
# Usage: spdx-test.sh <path of scripts/spdx.sh>
set -euo pipefail
spdx=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$tree/src/a" "$tree/scripts" "$tree/.ci" "$tree/build/x" "$tree/out" "$tree/.git" "$tree/data"
printf '#pragma once\n' > "$tree/src/a/A.h"
printf '// SPDX-License-Identifier: GPL-3.0-or-later\nint a;\n' > "$tree/src/a/A.cpp"
printf 'inline int v = @V@;\n' > "$tree/src/Version.h.in"
printf 'add_library(a)\n' > "$tree/src/CMakeLists.txt"
printf 'set(x 1)\n' > "$tree/src/rules.cmake"
printf '#!/bin/sh\necho run\n' > "$tree/scripts/run.sh"
chmod 755 "$tree/scripts/run.sh"
printf '#!/usr/bin/env python3\n"""Doc."""\n' > "$tree/scripts/tool.py"
printf 'import os\n' > "$tree/scripts/lib.py"
printf '#!/usr/bin/env bash\ntrue\n' > "$tree/.ci/run"
printf 'a\tb\n' > "$tree/data/list.tsv"
printf 'text\n' > "$tree/README"
printf 'int b;\n' > "$tree/build/x/B.cpp"
printf 'int c;\n' > "$tree/out/C.cpp"
touch "$tree/out/CMakeCache.txt"
printf 'int d;\n' > "$tree/.git/D.cpp"

out=$("$spdx" --check "$tree" || true)
for f in src/a/A.h src/Version.h.in src/CMakeLists.txt src/rules.cmake scripts/run.sh scripts/tool.py scripts/lib.py .ci/run; do
  grep -qx "no licence line (.*): $f" <<<"$out" || fail "the check does not name $f: $out"
done
[ "$(grep -c '^no licence line' <<<"$out")" -eq 8 ] || fail "the check names other files: $out"
"$spdx" --check "$tree" >/dev/null && fail "the check passes with files lacking the line"

"$spdx" "$tree" >/dev/null
expect() { # file, expected text
  [ "$(cat "$tree/$1")" = "$2" ] || fail "$1 reads: $(cat "$tree/$1")"
}
cxx='// SPDX-License-Identifier: GPL-3.0-or-later'
hash='# SPDX-License-Identifier: GPL-3.0-or-later'
expect src/a/A.h "$cxx"$'\n#pragma once'
expect src/a/A.cpp "$cxx"$'\nint a;'
expect src/Version.h.in "$cxx"$'\ninline int v = @V@;'
expect src/CMakeLists.txt "$hash"$'\nadd_library(a)'
expect src/rules.cmake "$hash"$'\nset(x 1)'
expect scripts/run.sh $'#!/bin/sh\n'"$hash"$'\necho run'
expect scripts/tool.py $'#!/usr/bin/env python3\n'"$hash"$'\n"""Doc."""'
expect scripts/lib.py "$hash"$'\nimport os'
expect .ci/run $'#!/usr/bin/env bash\n'"$hash"$'\ntrue'
expect data/list.tsv $'a\tb'
expect README 'text'
expect build/x/B.cpp 'int b;'
expect out/C.cpp 'int c;'
expect .git/D.cpp 'int d;'
[ -x "$tree/scripts/run.sh" ] || fail "scripts/run.sh is no longer executable"

before=$(cd "$tree" && find . -type f -exec md5sum {} + | sort)
again=$("$spdx" "$tree")
[ -z "$again" ] || fail "a second run changed: $again"
[ "$(cd "$tree" && find . -type f -exec md5sum {} + | sort)" = "$before" ] || fail "a second run changed a file"
"$spdx" --check "$tree" || fail "the check fails after the lines were added"
echo "spdx.sh: all cases passed"
