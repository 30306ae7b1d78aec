#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs each of them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
# Peers that bench_cli compares pathkeep-cli with; one that cannot be installed is skipped.
for peer in buku linkchecker; do
  command -v "$peer" >/dev/null 2>&1 && continue
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y -q "$peer" || true
  else sudo apt-get install -y -q "$peer" || true; fi
done
build="$here/build-bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPK_BUILD_TESTS=OFF -DPK_BUILD_BENCH=ON
cmake --build "$build"
find "$build/bench" -type f -name 'bench_*' -perm -u+x | sort | while read -r b; do
  echo "== $(basename "$b")"
  "$b" "$@"
done
