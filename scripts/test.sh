#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the program and
# its core and end-to-end tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# those again (PK_SKIP_SANITIZERS=1 leaves that second pass out).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
build="${PK_TEST_BUILD_DIR:-$here/build-test}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPK_BUILD_TESTS=ON -DPK_BUILD_BENCH=ON \
  -DPK_WERROR=ON
cmake --build "$build"
(cd "$build" && ctest --output-on-failure --timeout 600 -j2)

[ "${PK_SKIP_SANITIZERS:-0}" = "1" ] && exit 0

# Sanitizer pass. Any report fails the run: the sanitizers stop the program at the first one,
# and every report is also written to a log folder, so one from a program a test started (and
# whose exit status the test may not look at) is not missed either.
asan="${PK_ASAN_BUILD_DIR:-$here/build-asan}"
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON -DPK_BUILD_TESTS=ON -DPK_BUILD_BENCH=OFF
cmake --build "$asan"
logs="$asan/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
suppressions="$here/tests/sanitizer-suppressions"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:log_path=$logs/asan:suppressions=$suppressions/asan.txt"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.txt:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan:suppressions=$suppressions/ubsan.txt"
status=0
(cd "$asan" && ctest --output-on-failure --timeout 600 -j2 -L 'core|e2e') || status=$?
if compgen -G "$logs/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  cat "$logs"/* >&2
  status=1
fi
exit "$status"
