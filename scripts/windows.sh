#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build, from Debian 12: makes the library folder when it is
# missing (scripts/windows-sdk.sh), cross-builds the program and the tests,
# runs every test program under Wine in a prefix of its own, headless (Qt's
# offscreen platform), makes the setup (scripts/windows-installer.sh) and
# tries it in a fresh prefix (scripts/windows-install-test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$PWD

sdk=$(scripts/windows-sdk.sh | tail -n 1)
export RADADIR_WINDOWS_SDK=$sdk

start=$SECONDS
cmake --preset windows >/dev/null
cmake --build --preset windows
echo "windows: cross build $((SECONDS - start)) s"

out=$tree/build/windows
# The Windows form of a path on this machine (Wine's drive Z: is /).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

export WINEPREFIX=$out/wine
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono and no Gecko: nothing here needs them, and their install would ask.
export WINEDLLOVERRIDES="mscoree=;mshtml="
runtime_dirs=(
  "$sdk/bin" "$sdk/lib" "$sdk/qt/bin"
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib
)
WINEPATH=""
for d in "${runtime_dirs[@]}"; do WINEPATH+="$(winpath "$d");"; done
export WINEPATH
# Wine hands no variable named QT_* to the programs it runs: Qt finds its
# plugins beside its libraries, the tests choose the offscreen platform
# themselves, and take their font folder from RADADIR_TEST_FONTS. The fonts
# are Debian's DejaVu Sans, the face the Linux tests get from fontconfig.
fonts=$out/test-fonts
rm -rf "$fonts"
mkdir -p "$fonts"
ln -s /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$fonts"/
export RADADIR_TEST_FONTS
RADADIR_TEST_FONTS=$(winpath "$fonts")
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi

# The PostgreSQL test server runs on this machine; the tests under Wine
# reach it over TCP on 127.0.0.1.
pg_dir=$(mktemp -d)
cleanup() {
  scripts/pg-test-server.sh stop "$pg_dir" >/dev/null 2>&1 || true
  rm -rf "$pg_dir"
  wineserver --kill >/dev/null 2>&1 || true
}
trap cleanup EXIT
scripts/pg-test-server.sh start "$pg_dir" $$ tcp >/dev/null
export RADADIR_PG_TEST_HOST=127.0.0.1
RADADIR_PG_TEST_PORT=$(cat "$pg_dir/port")
export RADADIR_PG_TEST_PORT

start=$SECONDS
failed=()
mkdir -p "$out/test-results"
for exe in "$out"/tests/test_*.exe; do
  name=$(basename "$exe" .exe)
  echo "windows: $name"
  if ! timeout 900 wine "$exe" --gtest_output="xml:$(winpath "$out/test-results/$name.xml")" \
       >"$out/test-results/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 60 "$out/test-results/$name.log"
  fi
  grep -E '^\[  (PASSED|SKIPPED|FAILED)' "$out/test-results/$name.log" || true
done
echo "windows: tests under Wine $((SECONDS - start)) s"
scripts/pg-test-server.sh stop "$pg_dir" >/dev/null 2>&1 || true
wineserver --kill >/dev/null 2>&1 || true

start=$SECONDS
setup=$(scripts/windows-installer.sh "$sdk" | tail -n 1)
echo "windows: setup $(basename "$setup"), $(stat -c %s "$setup") bytes, made in $((SECONDS - start)) s"
start=$SECONDS
scripts/windows-install-test.sh "$setup" || failed+=("install test")
echo "windows: install test $((SECONDS - start)) s"
if [ ${#failed[@]} -gt 0 ]; then
  echo "windows: failed under Wine: ${failed[*]} (logs in build/windows/test-results/)"
  exit 1
fi
