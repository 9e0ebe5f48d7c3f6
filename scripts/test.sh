#!/usr/bin/env bash
# Installs what is needed, builds from scratch and runs every test: the normal build,
# then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" build
(cd "$top/build" && ctest --output-on-failure --timeout 300)
"$top/scripts/build.sh" build-asan -DSANITIZE=ON -DBUILD_BENCH=OFF
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0
(cd "$top/build-asan" && ctest --output-on-failure --timeout 600 -LE e2e)
echo "All tests passed."
