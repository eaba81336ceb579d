#!/usr/bin/env bash
# Builds and runs every test headless: once in the normal build (GCC), once built by Clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, so that both compilers pass the tree with
# warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

bash scripts/build.sh build -DQUILLORY_WERROR=ON
(cd build && ctest --output-on-failure --parallel "$(nproc)")

bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_SANITIZE=ON -DQUILLORY_WERROR=ON \
    -DCMAKE_CXX_COMPILER=clang++-16
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp
(cd build-asan && ctest --output-on-failure --parallel "$(nproc)")
