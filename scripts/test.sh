#!/usr/bin/env bash
# Sets up a fresh machine, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build} ./scripts/build.sh -DLAVINOR_WERROR=ON "$@"
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
