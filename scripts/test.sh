#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
#   1. the normal build: all tests, the plug-in loaded through JUCE's hosting classes;
#   2. the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the concurrent parts under ThreadSanitizer;
#   4. the fuzz targets, each for a bounded time, on the seed corpora in the repo.
# Each build has its own folder under build/; ccache makes rebuilds quick.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-$(nproc)}

./scripts/bootstrap.sh

configure_and_build() {
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -G Ninja "$@" > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
    cmake --build "$dir" -j "$jobs"
}

run_tests() {
    local dir=$1; shift
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" "$@"
}

mkdir -p build

echo "== normal build"
configure_and_build build/release
run_tests build/release

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
configure_and_build build/asan -DNDIR_SANITIZE="address;undefined" -DNDIR_BUILD_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1 run_tests build/asan

echo "== ThreadSanitizer: FIFOs, finder, receiver, processor, runtime"
configure_and_build build/tsan -DNDIR_SANITIZE=thread \
    -DNDIR_BUILD_PLUGIN=OFF -DNDIR_BUILD_BENCHMARKS=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests build/tsan -L '^(common_tests|ndi_tests|plugin_tests|RuntimeTests)$'

echo "== fuzzing"
CC=clang CXX=clang++ configure_and_build build/fuzz -DNDIR_BUILD_FUZZERS=ON \
    -DNDIR_BUILD_PLUGIN=OFF -DNDIR_BUILD_TESTS=OFF -DNDIR_BUILD_BENCHMARKS=OFF -DNDIR_BUILD_TOOLS=OFF
ctest --test-dir build/fuzz --output-on-failure -L fuzz
