#!/usr/bin/env bash
# Builds everything in build/ and runs every test with CTest.
#
#   scripts/test.sh              release build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer
#                                build in build-sanitize/; runs the tests and
#                                a short run of every benchmark, and fails at
#                                the first memory fault, leak or undefined
#                                behaviour
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
sanitize=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "test: unknown option $arg" >&2; exit 2 ;;
  esac
done
# The storage tests also run on PostgreSQL when a local cluster can be
# started; without one they run on SQLite only.
if [ -z "${VND_TEST_PG:-}" ] && command -v pg_lsclusters >/dev/null 2>&1; then
  if pg="$(bash scripts/start-postgres.sh)"; then
    export VND_TEST_PG="$pg"
  else
    echo "test: PostgreSQL not available, storage tests run on SQLite only" >&2
  fi
fi
if [ "$sanitize" = 0 ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build -j "$jobs"
  ctest --test-dir build --output-on-failure -j "$jobs"
  exit 0
fi

build=build-sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVND_SANITIZE=ON
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:strict_init_order=1:check_initialization_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Leaks inside the system's own libraries (fonts, graphics) are not ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "test: $bench (short run)"
  "$bench" --benchmark_min_time=0.01 >/dev/null
done
echo "test: sanitizer run clean"
