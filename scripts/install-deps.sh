#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing the program needs (Debian 12),
# and the further packages named as arguments.
set -euo pipefail
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
