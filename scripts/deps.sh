#!/usr/bin/env bash
# Installs what Lexfall needs to build, run and test on Debian 12, when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libjpeg-dev libsdl2-mixer-dev timgm6mb-soundfont
  libgtest-dev libgmock-dev libbenchmark-dev
  scowl fonts-dejavu-core xvfb xauth locales
  wordnet-base # game build: mkdict leaves out the words WordNet marks as slurs or obscene
  libcpp-httplib-dev libsqlite3-dev libpq-dev libsodium-dev postgresql
  tinyproxy
  clang libfuzzer-14-dev libclang-rt-14-dev
  # bench/startup.sh only
  xdotool sox libxdamage-dev libxcomposite-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
