#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs each of them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
build="$here/build-bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPK_BUILD_TESTS=OFF -DPK_BUILD_BENCH=ON
cmake --build "$build"
find "$build/bench" -type f -name 'bench_*' -perm -u+x | sort | while read -r b; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
