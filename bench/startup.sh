#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up benchmark: launch to first paint of build/bin/lexfall, as the X server sees it (the
# first drawing into its first window, through XDamage), interleaved round by round with a bare
# Qt window of the same size and a similar set of controls that quits after its first paint.
# Cases: the default audio driver, the dummy driver with music off, the dummy driver with a piece
# chosen. Prints medians, peak memory and their ratios to the bare window, then idle CPU (also
# after a short piece has played) and the time to close the window with and without an audio
# device, then the chime's delay after the device came to rest (build/bench/bench_chime).
#
#   bench/startup.sh [--busy] [ROUNDS] start-up table (default 15 rounds), idle CPU, exit time,
#                                      chime delay; --busy runs everything on the first core
#                                      beside a busy loop on the second
#   bench/startup.sh --idle            idle CPU and exit time only
#   bench/startup.sh --big-settings [MB]  start-up with a settings file of MB megabytes (50):
#                                      first paint, CPU to it and peak memory, median of 3
#   bench/startup.sh --music [SECS]    CPU while each piece plays: the game against the audio
#                                      library alone with the same piece and sound font
#   bench/startup.sh --loudness        length and loudness of each piece: rendered in real time
#                                      through SDL_mixer's MIDI player and the game's sound font
#                                      by SDL's disk driver, measured by sox stats (RMS level)
#
# LEXFALL=path/to/lexfall measures another build of the game (its folder must hold sound/).
#
# Needs xvfb, xdotool and libxdamage-dev (scripts/deps.sh); builds its helpers into
# build/bench-startup.
set -euo pipefail
cd "$(dirname "$0")/.."

busy=0
if [ "${1:-}" = --busy ]; then
  busy=1
  shift
fi
mode=startup
case "${1:-}" in
  --music) mode=music; shift ;;
  --loudness) mode=loudness; shift ;;
  --idle) mode=idle; shift ;;
  --big-settings) mode=big; shift ;;
esac
rounds=${1:-15}
music_seconds=${1:-20}
program=$(realpath "${LEXFALL:-build/bin/lexfall}")
helpers=$PWD/build/bench-startup
piece="Lexfall Theme.mid"
display_limit=10

[ -x "$program" ] || { echo "startup.sh: build the game first (scripts/build.sh build)" >&2; exit 1; }
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "startup.sh: $tool is missing (scripts/deps.sh)" >&2; exit 1; }
done
cmake -S bench/startup -B "$helpers" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$helpers" >/dev/null

if [ "$mode" = loudness ]; then
  command -v sox >/dev/null || { echo "startup.sh: sox is missing" >&2; exit 1; }
  renders=$(mktemp -d)
  trap 'rm -rf "$renders"' EXIT
  # The pieces play in real time (the MIDI player keeps time by the clock), all at once.
  for mid in "$(dirname "$program")"/sound/*.mid; do
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$renders/$(basename "$mid" .mid).raw" \
      "$helpers/render" "$mid" 2>"$renders/$(basename "$mid" .mid).log" &
  done
  wait
  for mid in "$(dirname "$program")"/sound/*.mid; do
    [ -s "$renders/$(basename "$mid" .mid).raw" ] ||
      { cat "$renders/$(basename "$mid" .mid).log" >&2; exit 1; }
  done
  printf '%-22s %8s %12s %12s\n' "piece" "seconds" "RMS dBFS" "peak dBFS"
  for raw in "$renders"/*.raw; do
    # Silence before the first note and after the last one is no part of the piece.
    sox -t raw -r 44100 -e signed -b 16 -c 2 "$raw" "${raw%.raw}.wav" \
      silence 1 0.01 -60d reverse silence 1 0.01 -60d reverse
    sox "${raw%.raw}.wav" -n stats 2>&1 |
      awk -v n="$(basename "$raw" .raw)" '
        /^RMS lev dB/ { rms = $4 } /^Pk lev dB/ { peak = $4 } /^Length s/ { s = $3 }
        END { printf "%-22s %8.1f %12.2f %12.2f\n", n, s, rms, peak }'
  done | tee "$renders/table"
  awk '{ if (NR == 1 || $(NF - 1) > hi) hi = $(NF - 1); if (NR == 1 || $(NF - 1) < lo) lo = $(NF - 1) }
    END { printf "spread of the RMS levels: %.2f dB\n", hi - lo }' "$renders/table"
  exit 0
fi

work=$(mktemp -d)
xvfb=
loop=
cleanup() {
  # A killed process's wait fails; under set -e that must not end the clean-up early.
  if [ -n "$loop" ]; then kill "$loop" 2>/dev/null; wait "$loop" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A busy machine: the display, the programs and the measuring on one core, a CPU-bound loop on
# the other.
pin=()
if [ "$busy" = 1 ]; then
  pin=(taskset -c 0)
  taskset -c 1 bash -c 'while :; do :; done' &
  loop=$!
fi

# Xvfb picks a free display and writes its number once it accepts clients.
"${pin[@]}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq $((display_limit * 20))); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "startup.sh: the virtual display did not come up within $display_limit s" >&2
  exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")
"$helpers/firstpaint" --wait-display "$display_limit"

# The game runs from a copy, so its settings and record files are the benchmark's own.
game=$work/game
cp -r "$(dirname "$program")" "$game"
# A first run creates the record file; its notice box is answered here, not in the timed runs.
(cd "$game" && exec ./lexfall >/dev/null 2>&1) &
first=$!
for _ in $(seq 50); do
  [ -s "$game/Records.dat" ] && break
  sleep 0.2
  xdotool key Return >/dev/null 2>&1 || true
done
kill "$first" 2>/dev/null || true
wait "$first" 2>/dev/null || true
[ -s "$game/Records.dat" ] || { echo "startup.sh: the game made no record file" >&2; exit 1; }

settings() { # music name, or empty for music off
  # The nine options as a first run leaves them, so the start-up stores what the file holds.
  printf '[Options]\r\nAutoSave=0\r\nEnableProxy=0\r\nMusic=%s\r\nProxy=\r\nProxyUser=\r\nProxyPwd=\r\nPort=8080\r\nSpeed=750\r\nSound=1\r\n' \
    "$1" >"$game/Lexfall.ini"
}

# One measured launch: prints "map_ms paint_ms idle_cpu exit_ms peak_kb width height".
measure() {
  (cd "$game" && "${pin[@]}" "$helpers/firstpaint" "$@")
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { awk -v c="$1" '{ print $c }' "$2"; }

check_window() { # the measured window must be the main window, not a message box
  awk '$6 < 400 { bad = 1 } END { exit bad }' "$1" ||
    { echo "startup.sh: a small window (a message box?) came first; see $1" >&2; exit 1; }
}

if [ "$mode" = big ]; then
  # MB of another section's lines, then the options with the sound off and no music, so that
  # the start-up reads past all of them and its two writes (the music box unticked, the sound
  # box cleared) store the options. Two files: one that holds all nine options already, as
  # after a first run, and one that lacks seven of them, so that the start writes it anew.
  mb=${1:-50}
  line=$'Entry=a line another tool keeps in this file, 64 bytes..\r'
  big() {
    printf '[Notes]\r\n'
    (yes "$line" || true) | head -c $((mb * 1024 * 1024))
    printf '\r\n[Options]\r\n%s' "$1"
  }
  big $'AutoSave=0\r\nEnableProxy=0\r\nMusic=\r\nProxy=\r\nProxyUser=\r\nProxyPwd=\r\nPort=8080\r\nSpeed=750\r\nSound=0\r\n' >"$work/stored.ini"
  big $'Sound=0\r\nMusic=\r\n' >"$work/lacking.ini"
  for file in stored lacking; do
    for _ in 1 2 3; do
      cp "$work/$file.ini" "$game/Lexfall.ini"
      SDL_AUDIODRIVER=dummy measure --limit 60 -- ./lexfall >>"$work/big-$file"
    done
    check_window "$work/big-$file"
    awk -v p="$(column 2 "$work/big-$file" | median)" -v c="$(column 8 "$work/big-$file" | median)" \
      -v k="$(column 5 "$work/big-$file" | median)" -v f="$(( $(stat -c %s "$work/$file.ini") / 1024 ))" \
      -v n="$file" 'BEGIN {
      printf "settings file %.1f MiB, options %-8s first paint %6.0f ms, CPU to it %6.0f ms, peak memory %6.1f MiB = %.2fx the file\n",
        f / 1024, n ":", p, c, k / 1024, k / f }'
  done
  exit 0
fi

if [ "$mode" = music ]; then
  echo "CPU while each piece plays, ${music_seconds} s after a 2 s settle, SDL dummy driver"
  printf '%-22s %10s %14s %7s\n' "piece" "game %" "library %" "ratio"
  for mid in "$game"/sound/*.mid; do
    name=$(basename "$mid")
    settings "$name"
    idle_ms=$((music_seconds * 1000))
    game_cpu=$(SDL_AUDIODRIVER=dummy measure --settle 2000 --idle "$idle_ms" -- ./lexfall | column 3 /dev/stdin)
    alone_cpu=$(SDL_AUDIODRIVER=dummy measure --settle 2000 --idle "$idle_ms" -- \
      "$helpers/startup-bare-audio" "$mid" $((idle_ms + 4000)) | column 3 /dev/stdin)
    awk -v n="$name" -v g="$game_cpu" -v a="$alone_cpu" \
      'BEGIN { printf "%-22s %10.2f %14.2f %6.2fx\n", n, g, a, (a > 0 ? g / a : 0) }'
  done
  exit 0
fi

if [ "$mode" = startup ]; then
  echo "Start-up to first paint: $rounds rounds, interleaved; $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  for round in $(seq "$rounds"); do
    measure -- "$helpers/startup-bare" >>"$work/bare"
    settings "$piece"
    measure --settle 1500 -- ./lexfall >>"$work/default"
    settings ""
    SDL_AUDIODRIVER=dummy measure --settle 1500 -- ./lexfall >>"$work/dummy-off"
    settings "$piece"
    SDL_AUDIODRIVER=dummy measure --settle 1500 -- ./lexfall >>"$work/dummy-piece"
    SDL_AUDIODRIVER=dummy measure --settle 1500 -- \
      "$helpers/startup-bare-audio" "$game/sound/$piece" 1500 >>"$work/bare-audio"
    printf '.' >&2
  done
  echo >&2
  for file in default dummy-off dummy-piece; do check_window "$work/$file"; done

  bare=$(column 2 "$work/bare" | median)
  bare_kb=$(column 5 "$work/bare" | median)
  audio_kb=$(column 5 "$work/bare-audio" | median)
  goal=1.10
  [ "$busy" = 1 ] && goal=1.20
  printf '%-40s %9s %9s %7s %10s %7s\n' "case" "paint ms" "bare ms" "ratio" "peak MiB" "ratio"
  row() {
    local ms kb
    ms=$(column 2 "$work/$2" | median)
    kb=$(column 5 "$work/$2" | median)
    awk -v c="$1" -v m="$ms" -v b="$bare" -v k="$kb" -v bk="$bare_kb" -v g="$goal" \
      'BEGIN { printf "%-40s %9.1f %9.1f %6.2fx %10.1f %6.2fx%s\n", c, m, b, m / b, k / 1024,
               k / bk, (m / b > g ? "  over the " g "x goal" : "") }'
  }
  row "default audio driver, a piece chosen" default
  row "SDL dummy driver, music off" dummy-off
  row "SDL dummy driver, a piece chosen" dummy-piece
  awk -v b="$bare_kb" -v a="$audio_kb" -v k="$(column 5 "$work/dummy-piece" | median)" \
    -v o="$(column 5 "$work/dummy-off" | median)" 'BEGIN {
    printf "peak memory: bare window %.1f MiB; game with music off %.2fx it%s\n", b / 1024, o / b,
      (o / b > 1.10 ? "  over the 1.10x goal" : "")
    printf "             bare window + audio library playing the piece %.1f MiB; game with the piece %.2fx it\n",
      a / 1024, k / a }'
fi

# Idle CPU over 5 s once the window is up, and the time from the close request to the exit:
# without a device, with the dummy device and music off, and with a piece playing on it.
# A piece of one short note: it has played and ended before the idle time is measured.
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\14\0\220\74\144\60\200\74\0\0\377\57\0' \
  >"$game/sound/Short note.mid"
echo "Idle (5 s after a 2 s settle; 6 s after a short piece) and closing the window, median of 5:"
for case in "default driver, music off" "dummy driver, music off" "dummy driver, a piece playing" \
  "dummy driver, after a short piece"; do
  settle=2000
  case $case in
    *short*) settings "Short note.mid"; settle=6000 ;;
    *piece*) settings "$piece" ;;
    *) settings "" ;;
  esac
  driver=${case%% *}
  : >"$work/idle"
  for _ in 1 2 3 4 5; do
    if [ "$driver" = dummy ]; then
      SDL_AUDIODRIVER=dummy measure --settle $settle --idle 5000 --close -- ./lexfall >>"$work/idle"
    else
      measure --settle 2000 --idle 5000 --close -- ./lexfall >>"$work/idle"
    fi
  done
  awk -v d="$case" -v c="$(column 3 "$work/idle" | median)" -v e="$(column 4 "$work/idle" | median)" \
    'BEGIN { printf "  %-30s CPU %6.3f %% of a core, exit %6.1f ms\n", d, c, e }'
done

chime=build/bench/bench_chime
if [ -x "$chime" ]; then
  "${pin[@]}" "$chime" --benchmark_format=json 2>/dev/null |
    awk -F'[:,]' '/"real_time"/ { mean = $2 } /"longest_ms"/ { longest = $2 }
      END { printf "Chime after the device came to rest (SDL dummy driver, 8 chimes): mean %.2f ms, longest %.2f ms%s\n",
            mean, longest, (longest > 20 ? "  over the 20 ms goal" : "") }'
else
  echo "Chime delay: build bench_chime (-DLEXFALL_BUILD_BENCH=ON) to measure it"
fi
