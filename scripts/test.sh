#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds with warnings as errors, and runs every test through CTest.
# With --sanitize the same is done in a build with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
preset=ci
[ "${1:-}" = "--sanitize" ] && preset=asan
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 300 -j2
