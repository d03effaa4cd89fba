#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and starts the program from its own directory, where it
# keeps (and on first start creates) its database file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target radadir
cd build/default/src
exec ./radadir
