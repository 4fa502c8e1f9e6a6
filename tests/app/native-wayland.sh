#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game as a native Wayland client: under a headless Weston on a private socket it maps its
# window with the menu entry's name as its app id, and a SIGTERM ends it cleanly.
#   native-wayland.sh BIN_DIR
set -euo pipefail
bin=$1
app_id=org.example.lexfall.Lexfall
skip() { echo "SKIP: $*"; exit 77; }
command -v weston >/dev/null || skip "weston is not installed (scripts/deps.sh installs it)"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  skip "Qt's Wayland platform (qt6-wayland) is not installed"

# Leaks are the window tests' business; under a sanitizer build the display libraries' own
# lifetime allocations would only hide the exit status this test reads.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
work=$(mktemp -d)
weston_pid='' game_pid=''
cleanup() {
  [ -z "$game_pid" ] || kill -KILL "$game_pid" 2>/dev/null || true
  [ -z "$weston_pid" ] || kill -TERM "$weston_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- weston" >&2; tail -20 "$work/weston.log" >&2 || true
  echo "--- game" >&2; grep -v '^\[' "$work/game.log" | tail -20 >&2 || true
  exit 1
}

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
weston --backend=headless-backend.so --socket=lexfall-test --idle-time=0 \
  >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/lexfall-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/lexfall-test" ] || fail "weston did not open its socket"

# A portable copy of its own, so nothing is written beside the build's program. A first start
# makes its record file, so the second shows the main window rather than the first-start box.
cp -r "$bin" "$work/game"
QT_QPA_PLATFORM=offscreen "$work/game/lexfall" >/dev/null 2>&1 &
game_pid=$!
for _ in $(seq 100); do [ -e "$work/game/Records.dat" ] && break; sleep 0.1; done
kill -TERM "$game_pid"; wait "$game_pid" || true; game_pid=''
[ -e "$work/game/Records.dat" ] || fail "the first start made no record file"
WAYLAND_DISPLAY=lexfall-test QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
  HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
  "$work/game/lexfall" >"$work/game.log" 2>&1 &
game_pid=$!

# Mapped: the toplevel has its app id and the compositor has configured it; then a buffer
# is attached to a surface.
mapped=no
for _ in $(seq 200); do
  if grep -q 'xdg_toplevel@[0-9]*\.configure' "$work/game.log" &&
     grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$work/game.log"; then
    mapped=yes; break
  fi
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended before it mapped a window"
  sleep 0.1
done
[ $mapped = yes ] || fail "no window mapped within 20 s"
ids=$(sed -n 's/.*xdg_toplevel@[0-9]*\.set_app_id("\([^"]*\)").*/\1/p' "$work/game.log" | sort -u)
[ "$ids" = "$app_id" ] || fail "app id: '$ids', expected '$app_id'"
# The main window, at its fixed size: a compositor offers no maximising.
grep -q 'xdg_toplevel@[0-9]*\.set_max_size(521, 534)' "$work/game.log" ||
  fail "the main window did not ask for its fixed size of 521 x 534"
grep -q 'Wayland connection broke\|Could not load the Qt platform plugin' "$work/game.log" &&
  fail "the game did not run on the Wayland platform"

kill -TERM "$game_pid"
status=0
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end within 10 s of SIGTERM"
wait "$game_pid" || status=$?
game_pid=''
[ $status -eq 0 ] || fail "the game ended with status $status after SIGTERM"
echo "mapped a window with app id $ids under Weston; ended with status 0 on SIGTERM"
