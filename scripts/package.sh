#!/usr/bin/env bash
# Builds the program in the release preset and makes the Debian package
# build/release/radadir_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
cpack --preset release
ls -1 build/release/radadir_*.deb
