#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building and playing needs when it is missing, builds the game, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh play
# Neither the tests nor the benchmarks: their libraries are not a player's business.
scripts/build.sh build -DLEXFALL_BUILD_TESTS=OFF -DLEXFALL_BUILD_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Lexfall is built (build/bin/lexfall), but there is no display to show its window."
  echo "Run it under a virtual display instead (Debian's xvfb):  xvfb-run -a build/bin/lexfall"
  exit 1
fi
exec build/bin/lexfall
