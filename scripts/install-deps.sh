#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing the program needs (Debian 12),
# and the further packages named as arguments. With --windows first, also what
# the Windows build needs: the mingw-w64 cross compiler, the tools that build
# its libraries from Debian's sources, Wine to run the tests, and NSIS.
set -euo pipefail
windows=()
if [ "${1:-}" = "--windows" ]; then
  shift
  windows=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
    qt6-base-dev-tools perl tcl make xz-utils
    wine wine64 nsis xvfb xdotool x11-utils locales
  )
fi
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libsqlcipher-dev sqlcipher
  libpq-dev postgresql
  libgtest-dev googletest
  iso-codes python3
  libxml2-utils
  desktop-file-utils xdg-user-dirs appstream man-db gzip
  dpkg-dev file lintian
  poppler-utils fonts-dejavu-core
  "${windows[@]}"
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Wine takes the Windows code page from LANG, which needs the locale itself:
# Turkish (1254) and English (1252).
if [ ${#windows[@]} -gt 0 ]; then
  for locale in tr_TR en_US; do
    if ! locale -a | grep -qix "$locale.utf-\?8"; then
      sudo=""
      [ "$(id -u)" -eq 0 ] || sudo="sudo"
      $sudo sed -i "s/^# *\($locale.UTF-8 UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$locale.UTF-8 UTF-8" /etc/locale.gen || echo "$locale.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
      $sudo locale-gen >/dev/null
    fi
  done
fi
