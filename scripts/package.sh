#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source package and both binary packages (lexfall, lexfall-records, and their
# -dbgsym) with dpkg-buildpackage from debian/, then runs lintian on them; fails when lintian
# finds an error or a warning. The build runs in a scratch copy of the files git knows, so no
# build folder of this tree ends up in the source package.
#   scripts/package.sh [OUT_DIR]     (default build-deb/)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-deb}")
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg --print-architecture)
umask 022

work=$(mktemp -d "${TMPDIR:-/tmp}/lexfall-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
src=$work/lexfall-$version
mkdir -p "$src" "$out"
# Fresh file times: every installed file is then newer than the changelog's date, which
# dpkg-deb clamps them to, whatever times the working tree had.
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf - | tar -xmf - -C "$src"

(cd "$src" && dpkg-buildpackage -us -uc -j"$(nproc)")
find "$work" -maxdepth 1 -type f -name "lexfall*_${version}*" -exec cp -t "$out" {} +

changes=$out/lexfall_${version}_$arch.changes
lintian --pedantic --display-info --tag-display-limit 0 --fail-on error,warning "$changes"
echo "$changes"
