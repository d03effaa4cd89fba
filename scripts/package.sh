#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program in the release preset, makes the Debian package
# build/release/radadir_<version>_<arch>.deb and has Debian's package checker
# look at it: an error or a warning fails the script (its notes and pedantic
# remarks are shown too, and do not).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
cpack --preset release
version=$(sed -n 's/^project(RadaDIR VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=build/release/radadir_${version}_$(dpkg --print-architecture).deb
echo "$deb"
lintian --display-info --pedantic --fail-on error,warning "$deb"
