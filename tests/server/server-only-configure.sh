#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The server-only build needs none of the game's packages: it configures with Qt, SDL and JPEG
# out of reach, never asks for them, keeps none of them in its cache, and makes the server and
# its tests but not the game. Usage: server-only-configure.sh SOURCE_DIR
set -euo pipefail
src=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/lexfall-server-only.XXXXXX")
trap 'rm -rf "$dir"' EXIT

fail() {
  echo "server-only build: $*" >&2
  exit 1
}

if ! cmake -S "$src" -B "$dir" -G Ninja -DLEXFALL_SERVER_ONLY=ON -DLEXFALL_BUILD_TESTS=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_DISABLE_FIND_PACKAGE_SDL2=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_SDL2_mixer=ON -DCMAKE_DISABLE_FIND_PACKAGE_JPEG=ON \
  --trace-expand --trace-redirect="$dir/trace.log" >"$dir/configure.log" 2>&1; then
  cat "$dir/configure.log" >&2
  fail "configure failed"
fi
grep -q 'find_package(PostgreSQL' "$dir/trace.log" || fail "the trace shows no find_package at all"
if grep -Eo 'find_package\((Qt6|Qt5|SDL2|SDL2_mixer|JPEG|benchmark)[ )]' "$dir/trace.log"; then
  fail "asked for a package of the game"
fi
if grep -Ei '^(Qt6|Qt5|SDL2|SDL2_mixer|JPEG)[A-Za-z0-9_]*:' "$dir/CMakeCache.txt"; then
  fail "a package of the game is in the cache"
fi
targets=$(cmake --build "$dir" --target help)
grep -q '^lexfall-records:' <<<"$targets" || fail "no lexfall-records target"
grep -q '^test_server:' <<<"$targets" || fail "no test_server target"
if grep -E '^(lexfall|lexfall_shell|lexfall_audio|test_app|mkdict):' <<<"$targets"; then
  fail "game targets in a server-only build"
fi
echo "server-only build configures without Qt, SDL or JPEG"
