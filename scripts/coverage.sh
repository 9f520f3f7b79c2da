#!/usr/bin/env bash
# Builds with line coverage into build-cov/ (or $BUILD_DIR), runs every test and prints gcovr's
# summary of the lines of src/ that the tests run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build-cov}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLAVINOR_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
find "$BUILD_DIR" -name '*.gcda' -delete
ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure
gcovr -r . --filter 'src/' --print-summary -o "$BUILD_DIR/coverage.txt" "$BUILD_DIR"
