#!/usr/bin/env bash
# Builds and runs every test: once in the normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; and the test of jobs on
# threads under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
# The IPP Everywhere conformance run times every request, so it runs alone;
# then every other test, in parallel.
run_tests() {
  ctest --test-dir "$1" --output-on-failure -R '^PrinterAppEverywhere\.'
  ctest --test-dir "$1" --output-on-failure -j "$jobs" -E '^PrinterAppEverywhere\.'
}
cmake -S . -B build -G Ninja -DPL_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
run_tests build
cmake -S . -B build-asan -G Ninja -DPL_TESTS=ON -DPL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt" \
  run_tests build-asan

cmake -S . -B build-tsan -G Ninja -DPL_TESTS=ON -DPL_TSAN=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan -j "$jobs" --target thread_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/tests/thread_tests
# The Debian package: built, unpacked and checked as an installation sees it.
scripts/test-package.sh
