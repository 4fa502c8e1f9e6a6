#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages from the install rules: lexfall (the game) and lexfall-records (the
# records server), into dist/, with their library dependencies computed from the binaries, then
# runs lintian on both.
#   scripts/package.sh [BUILD_DIR]        (default build-deb; configured for the prefix /usr)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-deb}
out=dist
umask 022

# Debian's own compiler and linker flags (hardening included), as its packages are built with.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DLEXFALL_BUILD_TESTS=OFF -DLEXFALL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"

version=$(sed -n 's/^project(Lexfall VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
maintainer="The Lexfall developers <support@lexfall.example.org>"
stage=$(mktemp -d "${TMPDIR:-/tmp}/lexfall-deb.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out" "$stage/debian"
# dpkg-shlibdeps reads the package list from here.
printf 'Source: lexfall\n\nPackage: lexfall\nArchitecture: any\n\nPackage: lexfall-records\nArchitecture: any\n' \
  >"$stage/debian/control"

# package NAME COMPONENT SECTION EXTRA_DEPENDS RECOMMENDS SUMMARY DESCRIPTION
package() {
  local name=$1 component=$2 section=$3 extra=$4 recommends=$5 summary=$6 description=$7
  local root=$stage/$name
  DESTDIR=$root cmake --install "$dir" --component "$component" >/dev/null

  local elves=()
  while IFS= read -r -d '' file; do
    if file -b "$file" | grep -q '^ELF'; then
      strip --strip-unneeded --remove-section=.comment --remove-section=.note "$file"
      chmod 0644 "$file"
      [ -n "$(find "$file" -path '*/bin/*' -o -path '*/games/*')" ] && chmod 0755 "$file"
      elves+=("$file")
    fi
  done < <(find "$root" -type f -print0)
  find "$root/usr/share/man" -type f ! -name '*.gz' -exec gzip -9n {} +
  local doc=$root/usr/share/doc/$name
  printf '%s (%s) unstable; urgency=medium\n\n  * Built from the install rules by scripts/package.sh.\n\n -- %s  %s\n' \
    "$name" "$version" "$maintainer" "$(date -R -d "@$(git log -1 --format=%ct 2>/dev/null || date +%s)")" |
    gzip -9n >"$doc/changelog.gz"

  local depends
  depends=$(cd "$stage" && dpkg-shlibdeps -O "${elves[@]/#/-e}" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
  [ -z "$extra" ] || depends="$depends, $extra"

  mkdir -p "$root/DEBIAN"
  if [ -d "packaging/$name" ]; then
    install -m 0755 "packaging/$name"/* "$root/DEBIAN/"
  fi
  {
    echo "Package: $name"
    echo "Version: $version"
    echo "Architecture: $arch"
    echo "Maintainer: $maintainer"
    echo "Installed-Size: $(du -sk --apparent-size --exclude=DEBIAN "$root" | cut -f1)"
    echo "Depends: $depends"
    [ -z "$recommends" ] || echo "Recommends: $recommends"
    echo "Section: $section"
    echo "Priority: optional"
    echo "Homepage: https://lexfall.example.org/"
    echo "Description: $summary"
    echo "$description" | fold -s -w 72 | sed 's/ *$//; s/^/ /'
  } >"$root/DEBIAN/control"
  (cd "$root" && find . -type f ! -path './DEBIAN/*' -printf '%P\0' | sort -z | xargs -0 md5sum) \
    >"$root/DEBIAN/md5sums"
  chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
  dpkg-deb --root-owner-group -Zxz --build "$root" "$out/${name}_${version}_$arch.deb" >/dev/null
  echo "$out/${name}_${version}_$arch.deb"
}

package lexfall game games "fonts-dejavu-core" "timgm6mb-soundfont | fluid-soundfont-gm" \
  "word game of falling letters" \
  "Letters fall one at a time into a well eight columns wide. Steer each letter, drop it or swap it; when it comes to rest, the longest English word of three to eight letters in its row is taken off the board. Every game is measured against your own record and the world record, which can be exchanged with a records server."
package lexfall-records server net "systemd | systemd-standalone-sysusers" "" \
  "records server for the Lexfall word game" \
  "Keeps one best record per player and the world record for the Lexfall game, and answers the game's requests over HTTP, with SQLite on one machine or PostgreSQL for several servers. The package runs it as a hardened system service under its own user, with its database in /var/lib/lexfall-records."

lintian --tag-display-limit 0 --info "$out"/lexfall_"${version}"_"$arch".deb "$out"/lexfall-records_"${version}"_"$arch".deb || true
