#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# On a 2560 x 1600 X screen the window fits at 200 % as it is, and at 300 %, where it would be
# taller than the screen, the game starts at the largest scale that fits, without a box.
#   window-fits-screen.sh BIN_DIR
set -euo pipefail
bin=$1
command -v xvfb-run >/dev/null && command -v xdotool >/dev/null ||
  { echo "SKIP: xvfb-run and xdotool are needed (scripts/deps.sh installs them)"; exit 77; }
# Leaks are the window tests' business; under a sanitizer build the display libraries' own
# lifetime allocations would only hide the exit status this test reads.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
work=$(mktemp -d)
trap 'pkill -KILL -P $$ lexfall 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$bin" "$work/game"

cat >"$work/measure.sh" <<'INNER'
set -euo pipefail
game=$1 factor=$2
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$factor "$game/lexfall" >/dev/null 2>&1 &
pid=$!
# The first start shows one box about the new record file; Return closes it.
if [ ! -e "$game/Records.dat.seen" ]; then
  box=$(xdotool search --sync --onlyvisible --name '^Lexfall$' | head -1)
  sleep 0.5
  xdotool windowfocus --sync "$box" key Return
  touch "$game/Records.dat.seen"
  sleep 0.5
fi
window=$(xdotool search --sync --onlyvisible --name '^Lexfall$' | head -1)
sleep 0.5
xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'
tr '\0' '\n' </proc/$pid/environ | sed -n 's/^QT_SCALE_FACTOR=//p'
kill -TERM $pid
wait $pid
INNER

measure() {
  timeout 60 xvfb-run -a -s "-screen 0 2560x1600x24" bash "$work/measure.sh" "$work/game" "$1"
}
fail() { echo "FAIL: $*" >&2; exit 1; }

at200=($(measure 2))
size200=${at200[0]:-} factor200=${at200[1]:-}
[ "$size200" = 1042x1068 ] || fail "at 200 %: $size200, expected 1042x1068"
[ "$factor200" = 2 ] || fail "at 200 % the scale became $factor200"
at300=($(measure 3))
size300=${at300[0]:-} factor300=${at300[1]:-}
height=${size300#*x}
[ "$height" -le 1600 ] || fail "at 300 %: $size300 is taller than the screen"
[ "$factor300" = 2.75 ] || fail "at 300 % the scale became $factor300, expected 2.75"
echo "2560x1600: at 200 % $size200; at 300 % started again at $factor300: $size300"
