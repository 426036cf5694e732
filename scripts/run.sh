#!/usr/bin/env bash
# Builds the product and starts it on the embedded default.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs" --target vnd-demo
exec build/apps/vnd-demo "$@"
