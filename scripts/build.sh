#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Lexfall into build/ (or the folder given), ready to run from build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
