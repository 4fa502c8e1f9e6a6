#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a throwaway prefix and checks the layout, the desktop entry, the
# software-centre listing, the man pages and the server's unit; then moves the prefix and
# starts the game from there, in an empty home, to see that it finds its data by its own
# place and writes only into the home.
#   check-install.sh BUILD_DIR
set -euo pipefail
build=$1
id=org.example.lexfall.Lexfall

scratch=$(mktemp -d "${TMPDIR:-/tmp}/lexfall-install.XXXXXX")
game=
cleanup() {
  [ -z "$game" ] || kill "$game" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

has_game=0
[ -e "$prefix/games/lexfall" ] && has_game=1
expected=(bin/lexfall-records lib/systemd/system/lexfall-records.service
  lib/sysusers.d/lexfall-records.conf share/man/man8/lexfall-records.8
  share/doc/lexfall-records/copyright)
if [ $has_game -eq 1 ]; then
  expected+=(games/lexfall share/lexfall/Dict.dll share/lexfall/SCOWL-copyright.txt
    share/lexfall/sound/chimes.wav share/lexfall/sound/GameOver.wav
    share/lexfall/sound/RecBroken.wav "share/lexfall/sound/Lexfall Theme.mid"
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg" share/man/man6/lexfall.6
    share/doc/lexfall/copyright)
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
  done
fi
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done

if [ $has_game -eq 1 ]; then
  for module in audio cookies tls; do
    modules=$(find "$prefix/lib" -path "*/lexfall/lexfall-$module.so" | wc -l)
    [ "$modules" -eq 1 ] || fail "the $module module is not installed under lib*/lexfall/"
  done
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >"$scratch/appstream" 2>&1 ||
    { cat "$scratch/appstream" >&2; fail "appstreamcli validate"; }
  grep -q "Categories=.*Game;" "$prefix/share/applications/$id.desktop" || fail "not in the Game menu"
fi

command -v man >/dev/null || echo "no man here: the man pages are not checked"
for page in "$prefix"/share/man/man*/*; do
  command -v man >/dev/null || break
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || echo "man failed")
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# The components: a player's install (game) holds no server, the server's no game.
cmake --install "$build" --prefix "$scratch/server-only" --component server >/dev/null
[ -e "$scratch/server-only/bin/lexfall-records" ] || fail "the server component has no server"
[ ! -e "$scratch/server-only/games" ] || fail "the server component installs the game"
if [ $has_game -eq 1 ]; then
  cmake --install "$build" --prefix "$scratch/game-only" --component game >/dev/null
  [ -e "$scratch/game-only/games/lexfall" ] || fail "the game component has no game"
  leaked=$(find "$scratch/game-only" -path '*lexfall-records*' | head -n 1)
  [ -z "$leaked" ] || fail "the game component installs $leaked"
fi

# The unit and its hardening, where this machine's systemd can judge them offline.
unit=$prefix/lib/systemd/system/lexfall-records.service
if systemd-analyze security --help 2>/dev/null | grep -q -- --offline; then
  exposure=$(systemd-analyze security --offline=true "$unit" 2>/dev/null |
    sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
  echo "unit exposure: ${exposure:-unknown}"
  awk -v e="${exposure:-99}" 'BEGIN { exit !(e < 4) }' || fail "unit exposure ${exposure:-unknown}, not under 4"
else
  echo "systemd-analyze cannot judge units offline here: exposure not checked"
fi

# The prefix moved elsewhere still works: the game finds its data relative to itself, and its
# first start writes the settings into the player's folders, none beside the program.
if [ $has_game -eq 1 ]; then
  moved=$scratch/moved
  mv "$prefix" "$moved"
  home=$scratch/home
  mkdir -p "$home/.local/share/lexfall"
  # A record file already there, so no message box waits for a click.
  head -c 90 /dev/zero >"$home/.local/share/lexfall/Records.dat"
  (cd "$scratch" && exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" \
    QT_QPA_PLATFORM=offscreen "$moved/games/lexfall" >"$scratch/game.log" 2>&1) &
  game=$!
  for _ in $(seq 300); do
    [ -s "$home/.config/lexfall/Lexfall.ini" ] && break
    sleep 0.1
  done
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=
  [ -s "$home/.config/lexfall/Lexfall.ini" ] || { cat "$scratch/game.log" >&2; fail "the moved game wrote no settings into the home"; }
  beside=$(find "$moved" -name Lexfall.ini -o -name Records.dat | head -n 1)
  [ -z "$beside" ] || fail "the installed game wrote $beside"
  "$moved/games/lexfall" --version | grep -q '^lexfall ' || fail "lexfall --version"
fi

[ $failures -eq 0 ] || exit 1
echo "install layout ok"
