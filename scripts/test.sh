#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build, and one with
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")

scripts/build.sh build-sanitize -DLEXFALL_SANITIZE=ON -DLEXFALL_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-sanitize && ctest --output-on-failure -j"$(nproc)")

# Every fuzz target briefly, on its committed seeds plus new inputs: a crash, a leak or a broken
# property fails the run.
scripts/fuzz.sh 20
