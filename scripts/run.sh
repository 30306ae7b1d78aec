#!/usr/bin/env bash
# Installs what is missing, builds Pathkeep and starts it on its own collection folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPK_BUILD_TESTS=OFF -DPK_BUILD_BENCH=OFF
cmake --build "$here/build" --target pathkeep pathkeep-backup
collection="${PATHKEEP_COLLECTION:-$HOME/Pathkeep}"
mkdir -p "$collection"
cd "$collection"
exec "$here/build/app/pathkeep" "$@"
