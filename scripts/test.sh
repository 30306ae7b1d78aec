#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
build="${PK_TEST_BUILD_DIR:-$here/build-test}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPK_BUILD_TESTS=ON -DPK_BUILD_BENCH=ON
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 600 -j2
