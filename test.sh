#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh          normal build in build/, then the fuzz smoke runs in build-fuzz/
#   ./test.sh --asan   the same tests with AddressSanitizer and UBSan in build-asan/
#   ./test.sh --tsan   the tests of the export, whose pictures are made on
#                      worker threads, with ThreadSanitizer in build-tsan/
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh test

jobs=$(nproc)
if [ "${1:-}" = "--asan" ]; then
    cmake -S . -B build-asan -G Ninja -DZV_SANITIZE=ON -DZV_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
    cmake --build build-asan -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j "$jobs"
    exit 0
fi

if [ "${1:-}" = "--tsan" ]; then
    cmake -S . -B build-tsan -G Ninja -DZV_TSAN=ON -DZV_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    tests="parallel_export_test export_run_test reduced_decode_test photo_info_export_test batch_cli_test caption_fields_test"
    cmake --build build-tsan -j "$jobs" --target $tests zelventa-batch
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp \
        ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R "^(${tests// /|})\$"
    exit 0
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Every decoder and stored-file reader gets a short fuzz run; long runs are
# made by hand (scripts/fuzz-long.sh).
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure -j "$jobs"
