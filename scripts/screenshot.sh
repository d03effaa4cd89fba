#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Retakes packaging/screenshots/main-window.png, the software centres'
# screenshot: the program built in the given preset (default: default) is
# started on a fresh register on a virtual X display, the facility is set up
# and a guest is typed, then the main window is captured. The screenshot's
# size goes into packaging/radadir.metainfo.xml.in; the file is published at
# the address given there.
#
# Usage: scripts/screenshot.sh [preset]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh xvfb xdotool x11-xkb-utils imagemagick
preset=${1:-default}
program=$PWD/build/$preset/src/radadir
[ -x "$program" ] || { echo "build the $preset preset first: $program is missing" >&2; exit 1; }
out=$PWD/packaging/screenshots/main-window.png

display=
for n in $(seq 90 99); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "no free X display between :90 and :99" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
# Real keys for the Turkish letters (xdotool drops the shift of Ö Ç Ü Ş
# under Xvfb, so none of them is typed as a capital).
setxkbmap -layout tr

# A register, a home and a runtime folder of its own, so that no running
# copy of the program is met.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
(cd "$work/home" && HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/home/.local/share \
   LANG=tr_TR.UTF-8 LC_ALL= exec "$program" >"$work/program.log" 2>&1) &
program_pid=$!

window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
# Types a field's text and goes on to the next field with Enter.
field() {
  xdotool type --delay 60 "$1"
  sleep 0.2
  xdotool key Return
  sleep 0.2
}

facility=$(window '^Sisteme İlk Giriş$')
xdotool windowfocus --sync "$facility"
xdotool type --delay 40 12345
xdotool key Tab
field "Otel Deniz"
sleep 3

main=$(window '^Rirede Zarevave Rurored$')
xdotool windowfocus --sync "$main"
xdotool key ctrl+n
sleep 0.5
xdotool key Return # no customer code
field "Ayşe"
field "Yılmaz"
field 19850412
field "Türkiye"
field "T.C"    # T.C. Kimlik Kartı
field 123456
field "Kad"    # Kadın
field "Atatürk Cad. No: 12 Bodrum"
xdotool key Return # arrival now
sleep 0.2
xdotool key Return
sleep 0.2
field 28416357242
field "Mehmet"
field "Fatma"
field "Muğ"    # Muğla
field "Bodrum"
field "Bodrum"
field "Merkez"
field 12
field 34
field 56
field "Evl"    # Evli
field "Mimar"
xdotool type --delay 40 101
sleep 1

mkdir -p "$(dirname "$out")"
# Without the moments of capture, so that the same screen gives the same bytes.
import -window "$main" -strip -define png:exclude-chunks=date,time "$out"
identify -format '%f: %wx%h\n' "$out"
