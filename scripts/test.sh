#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the program and
# its core and end-to-end tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# those again (PK_SKIP_SANITIZERS=1 leaves that second pass out).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# Each phase's wall time, printed at the end (also when a phase fails), so that the whole run can
# be seen to fit a fresh machine.
phases=()
phase_start=$SECONDS
phase() {
  phases+=("$(printf '%-28s %5d s' "$1" $((SECONDS - phase_start)))")
  phase_start=$SECONDS
}
report_phases() {
  echo "Phase times:"
  printf '  %s\n' "${phases[@]}"
  echo "  total                        $SECONDS s"
}
trap report_phases EXIT

"$here/scripts/install-deps.sh"
phase "install"

# Both builds compile the sources in batches of eight (a unity build: each batch reads the Qt
# headers once), keep only line tables for debugging and link with lld, so that the whole run
# fits a fresh machine without a compiler cache. PK_UNITY_BUILD=OFF builds file by file.
fast_build=(-DCMAKE_UNITY_BUILD="${PK_UNITY_BUILD:-ON}" -DCMAKE_UNITY_BUILD_BATCH_SIZE=8
            -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld)

build="${PK_TEST_BUILD_DIR:-$here/build-test}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPK_BUILD_TESTS=ON -DPK_BUILD_BENCH=ON \
  -DPK_WERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "${fast_build[@]}"
cmake --build "$build"
phase "build"
# A test that fails is run once more (its first output stays in the log): the end-to-end tests
# drive real browsers and a compositor, whose start-up times vary on a loaded machine. A test
# that fails twice fails the run; in the sanitizer pass any report fails it, second run or not.
(cd "$build" && ctest --output-on-failure --timeout 600 -j2 --repeat until-pass:2)
phase "tests"

[ "${PK_SKIP_SANITIZERS:-0}" = "1" ] && exit 0

# Sanitizer pass. Any report fails the run: the sanitizers stop the program at the first one,
# and every report is also written to a log folder, so one from a program a test started (and
# whose exit status the test may not look at) is not missed either.
asan="${PK_ASAN_BUILD_DIR:-$here/build-asan}"
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON -DPK_BUILD_TESTS=ON -DPK_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG="-g1" "${fast_build[@]}"
cmake --build "$asan"
phase "sanitizer build"
logs="$asan/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
suppressions="$here/tests/sanitizer-suppressions"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:log_path=$logs/asan:suppressions=$suppressions/asan.txt"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.txt:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$logs/ubsan:suppressions=$suppressions/ubsan.txt"
status=0
(cd "$asan" && ctest --output-on-failure --timeout 600 -j2 --repeat until-pass:2 -L 'core|e2e') \
  || status=$?
phase "sanitizer tests"
if compgen -G "$logs/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  cat "$logs"/* >&2
  status=1
fi
exit "$status"
