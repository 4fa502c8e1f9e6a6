#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for SECONDS (default 60)
# on its committed seeds plus what it finds. Prints runs and coverage per target, adds the runs
# to build-fuzz/fuzz-totals.txt, and fails on any crash, leak or broken property; the input that
# failed is kept in build-fuzz/artifacts/<target>/.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
scripts/deps.sh

dir=build-fuzz
CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXFALL_FUZZ=ON \
  -DLEXFALL_BUILD_TESTS=OFF -DLEXFALL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$dir"/fuzz/fuzz_*; do
    targets+=("${binary##*/fuzz_}")
  done
fi

# Scratch files in memory when possible; removed on every exit path.
scratch=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/lexfall-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export LEXFALL_FUZZ_SCRATCH=$scratch
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=()
printf '%-14s %12s %8s %8s %s\n' target runs cov ft result
for target in "${targets[@]}"; do
  corpus=$dir/corpus/$target
  artifacts=$dir/artifacts/$target
  log=$dir/logs/$target.log
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  result=ok
  # New inputs go to the first folder; the committed seeds are only read.
  "$dir/fuzz/fuzz_$target" "$corpus" "fuzz/corpus/$target" -max_total_time="$seconds" \
    -print_final_stats=1 -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$artifacts/" \
    >"$log" 2>&1 || result=FAILED
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n1 || true)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  if [ -z "$runs" ]; then
    runs=$(sed -nE 's/^#([0-9]+).*/\1/p' <<<"$last")
  fi
  printf '%-14s %12s %8s %8s %s\n' "$target" "${runs:-0}" "${cov:-?}" "${ft:-?}" "$result"
  echo "$(date -u +%FT%TZ) $target ${runs:-0} cov=${cov:-?} ft=${ft:-?} $result" >>"$dir/fuzz-totals.txt"
  if [ "$result" != ok ]; then
    failed+=("$target")
    grep -E 'ERROR|property failed|SUMMARY|Test unit written' "$log" | head -n 20 || true
  fi
done

echo "Runs so far, all local runs of this build folder:"
awk '{ runs[$2] += $3 } END { for (t in runs) printf "  %-14s %12d\n", t, runs[t] }' "$dir/fuzz-totals.txt" | sort

if [ ${#failed[@]} -gt 0 ]; then
  echo "Failed: ${failed[*]} (logs in $dir/logs, inputs in $dir/artifacts)" >&2
  exit 1
fi
