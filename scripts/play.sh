#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Lexfall is built (build/bin/lexfall), but there is no display to show its window."
  echo "Run it under a virtual display instead:  xvfb-run -a build/bin/lexfall"
  exit 1
fi
exec build/bin/lexfall
