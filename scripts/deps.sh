#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Lexfall needs on Debian 12, when something is missing:
#   scripts/deps.sh play   what building and playing the game (and building the server) needs
#   scripts/deps.sh        that, and everything the tests, benchmarks, fuzzing and packaging need
# A new package goes on a line of its own with a short comment: into play=( ) when the build or
# the running game needs it, into tests=( ) otherwise. Prefer packages that start no service.
set -euo pipefail

play=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libjpeg-dev libsdl2-mixer-dev timgm6mb-soundfont
  qt6-wayland # the game runs as a native Wayland client on a Wayland desktop
  scowl fonts-dejavu-core
  libsqlite3-dev libpq-dev libsodium-dev
  wordnet-base # game build: mkdict leaves out the words WordNet marks as slurs or obscene
  libmicrohttpd-dev # the records server's HTTP core
  libgnutls28-dev # the game's https to the records server
  xvfb xauth # xvfb-run: the game on a virtual display, where there is no real one
)

tests=(
  libgtest-dev libgmock-dev libbenchmark-dev
  locales
  postgresql # scripts/with-postgres.sh runs a throwaway cluster with its programs
  tinyproxy-bin
  openssl # the tests' certificate authority, and s_server in the TLS interoperability table
  clang libfuzzer-14-dev libclang-rt-14-dev
  desktop-file-utils appstream # the install test's validators
  man-db # the install test reads the man pages for warnings
  systemd # systemd-analyze, for the server unit's exposure
  debhelper lintian dpkg-dev file # scripts/package.sh: the Debian packages and their check
  chromium # the records server's standings page, rendered by a real browser
  libxml2-utils # xmllint: the standings page parsed strictly, without network
  dosfstools # mkfs.vfat: the portable folder tried on a loop-mounted FAT image
  weston # a headless compositor: the game as a native Wayland client
  # bench/startup.sh only
  xdotool sox libxdamage-dev libxcomposite-dev
  nginx-light # bench/server-load.sh measures the records server beside it; a TLS front in the tests
)

packages=("${play[@]}")
[ "${1:-}" = play ] || packages+=("${tests[@]}")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Missing: ${missing[*]}; run this as root to install them." >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
