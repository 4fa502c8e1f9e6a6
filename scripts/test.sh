#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then builds and runs every test twice: a normal build, and one with
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target for 20 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# The server tests need PostgreSQL: run the rest of this script beside a throwaway cluster.
[ -n "${LEXFALL_TEST_PG:-}" ] || exec scripts/with-postgres.sh "$PWD/scripts/test.sh" "$@"
scripts/locales.sh
export QT_QPA_PLATFORM=offscreen

# The tests are forced on, whatever an earlier configure left in the cache, and a run that
# finds no test fails instead of passing.
scripts/build.sh build -DLEXFALL_BUILD_TESTS=ON -DLEXFALL_BUILD_BENCH=ON
(cd build && ctest --no-tests=error --output-on-failure -j"$(nproc)")

scripts/build.sh build-sanitize -DLEXFALL_BUILD_TESTS=ON -DLEXFALL_SANITIZE=ON -DLEXFALL_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-sanitize && ctest --no-tests=error --output-on-failure -j"$(nproc)")

# Every fuzz target briefly, on its committed seeds plus new inputs: a crash, a leak or a broken
# property fails the run.
scripts/fuzz.sh 20

# Last, the Debian packages as Debian builds them (without the tests, which ran above), and
# lintian's verdict on them: an error or a warning fails the run.
scripts/package.sh build-deb
