#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Windows setup silently into a fresh Wine prefix, checks the
# installed files, the Start-menu and desktop links (their target and the
# register's folder as their working folder) and the uninstall entry, starts
# the installed program in the register's folder on an Xvfb display until its
# first-run window shows, then uninstalls and checks that everything
# installed is gone and the register is kept.
# Usage: windows-install-test.sh <setup.exe>
set -euo pipefail
setup=$(realpath "$1")
work=$(mktemp -d)
export HOME=$work/home WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono, no Gecko, and no Linux menu entries made from the Start menu.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
mkdir -p "$HOME"
cleanup() {
  wineserver --kill >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "install test: $*" >&2; exit 1; }

wineboot --init >/dev/null 2>&1
wineserver --wait
user=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public | head -n 1)
profile=$WINEPREFIX/drive_c/users/$user
local_app=$profile/AppData/Local
program=$local_app/Programs/RadaDIR
register_dir=$local_app/RadaDIR
menu_link="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Rirede Zarevave Rurored.lnk"
desktop_link="$profile/Desktop/Rirede Zarevave Rurored v1.4.5.lnk"
win_program="C:\\users\\$user\\AppData\\Local\\Programs\\RadaDIR\\radadir.exe"
win_register="C:\\users\\$user\\AppData\\Local\\RadaDIR"

# True when the file holds the text in UTF-16, as a shell link keeps its strings.
holds_utf16() { python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' "$1" "$2"; }

wine "$setup" /S
wineserver --wait
for f in radadir.exe radadir.ico uninstall.exe Qt6Core.dll Qt6Widgets.dll libsqlcipher-0.dll libstdc++-6.dll \
         platforms/qwindows.dll styles/qwindowsvistastyle.dll translations/qtbase_tr.qm; do
  [ -f "$program/$f" ] || fail "not installed: $f"
done
[ -d "$register_dir" ] || fail "the register's folder was not made"
for link in "$menu_link" "$desktop_link"; do
  [ -f "$link" ] || fail "no link: $link"
  holds_utf16 "$link" "$win_program" || fail "the link does not start the program: $link"
  holds_utf16 "$link" "$win_register" || fail "the link does not start in the register's folder: $link"
done
grep -q 'Uninstall\\\\RadaDIR\]' "$WINEPREFIX/user.reg" || fail "no uninstall entry"
for value in '"DisplayName"="Rirede Zarevave Rurored"' '"DisplayVersion"="1.4.5"' '"Publisher"="RadaDIR Destek"' \
             '"EstimatedSize"=dword:'; do
  grep -qF "$value" "$WINEPREFIX/user.reg" || fail "the uninstall entry lacks $value"
done

# The installed program, started as its link starts it, shows its first-run
# window; a register appears in its folder, nowhere else.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  shown=$(cd "$register_dir" && xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine "$1" >/dev/null 2>&1 &
    for _ in $(seq 1 60); do
      if xdotool search --name "Sisteme İlk Giriş" >/dev/null 2>&1; then echo shown; break; fi
      sleep 1
    done
    wineserver --kill >/dev/null 2>&1 || true' _ "$program/radadir.exe" 2>/dev/null)
  [ "$shown" = shown ] || fail "the installed program did not show \"Sisteme İlk Giriş\""
  [ ! -e "$program/radadir.dve" ] || fail "a register was made in the program's folder"
fi

# The register, which the uninstall keeps.
echo register >"$register_dir/radadir.dve"
wine "$program/uninstall.exe" /S
wineserver --wait
for _ in $(seq 1 30); do [ -e "$program" ] || break; sleep 1; done
[ ! -e "$program" ] || fail "left after the uninstall: $(find "$program" | head -n 5 | tr '\n' ' ')"
[ ! -e "$menu_link" ] || fail "the Start-menu link is left"
[ ! -e "$desktop_link" ] || fail "the desktop link is left"
! grep -q 'Uninstall\\\\RadaDIR\]' "$WINEPREFIX/user.reg" || fail "the uninstall entry is left"
[ "$(cat "$register_dir/radadir.dve")" = register ] || fail "the uninstall touched the register"
echo "install test: passed"
