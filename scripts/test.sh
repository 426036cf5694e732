#!/usr/bin/env bash
# Builds everything in build/ and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
# The storage tests also run on PostgreSQL when a local cluster can be
# started; without one they run on SQLite only.
if [ -z "${VND_TEST_PG:-}" ] && command -v pg_lsclusters >/dev/null 2>&1; then
  if pg="$(bash scripts/start-postgres.sh)"; then
    export VND_TEST_PG="$pg"
  else
    echo "test: PostgreSQL not available, storage tests run on SQLite only" >&2
  fi
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
