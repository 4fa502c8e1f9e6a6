#!/usr/bin/env bash
# Time from program start to the window shown, under a virtual display: the median of 7 runs.
# Needs xvfb, x11-utils and xdotool. Usage: bench/startup-time.sh [build/bin/lexfall]
set -euo pipefail
program=$(realpath "${1:-build/bin/lexfall}")
display=:97
Xvfb $display -screen 0 800x700x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display $display >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display
work=$(mktemp -d)
cp -r "$(dirname "$program")"/. "$work"/
# A first run creates the settings and record files, so the timed runs show no message box.
"$work/lexfall" >/dev/null 2>&1 & pid=$!; sleep 2
xdotool key Return >/dev/null 2>&1 || true; sleep 1; kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true
for _ in 1 2 3 4 5 6 7; do
  start=$(date +%s%N)
  "$work/lexfall" >/dev/null 2>&1 & pid=$!
  until xdotool search --onlyvisible --name '^Lexfall$' >/dev/null 2>&1; do sleep 0.005; done
  end=$(date +%s%N)
  kill $pid; wait $pid 2>/dev/null || true
  echo $(( (end - start) / 1000000 ))
done | sort -n | awk '{ v[NR] = $1 } END { printf "start-up to window shown: median %d ms (runs: ", v[4]; for (i = 1; i <= NR; i++) printf "%d%s", v[i], i < NR ? " " : ")\n" }'
rm -rf "$work"
