#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   build/       the normal build, all tests through ctest
#   build-asan/  everything but the windows, with its tests, under AddressSanitizer + UBSan
#   build-fuzz/  libFuzzer targets, each run briefly over its seeds
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-packages.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPV_SANITIZE=ON -DPV_WITH_QT=OFF -DPV_WITH_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan -j "$jobs" --output-on-failure

if command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPV_FUZZ=ON -DPV_WITH_QT=OFF -DPV_WITH_BENCH=OFF -DPV_WITH_TESTS=OFF
  cmake --build build-fuzz -j "$jobs"
  ./scripts/run-fuzzers.sh build-fuzz
fi
