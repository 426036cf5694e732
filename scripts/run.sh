#!/usr/bin/env bash
# Builds the desktop client and starts it on the demonstration database
# (vnd-demo.db in the checkout, created on the first run) with the embedded
# application server, logged on as demo operator 1 at branch 0001.
#
# Options go to vnd-client (build/gui/vnd-client --help). Giving any of
# --operador, --senha or --filial replaces the demo logon: all three log on
# directly, fewer open the logon dialog filled with them.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs" --target vnd-client

logon=(--operador 1 --senha ana123 --filial 0001)
screenshot=""
for arg in "$@"; do
  case "$arg" in
    --operador | --senha | --filial) logon=() ;;
    --screenshot) screenshot=yes ;;
  esac
done
if [ ${#logon[@]} -gt 0 ]; then
  echo "run: logged on as demo operator 1 (Ana Paula Ferraz) at branch 0001."
  echo "run: as someone else: bash scripts/run.sh --operador CODE --senha PASSWORD --filial BRANCH"
  echo "run: (or --operador CODE alone for the logon dialog; demo operators in docs/server.md)"
fi
echo "run: the screen opens from the menu Vendas > Manutenção da Venda."

if [ -z "$screenshot${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "run: no display found (DISPLAY/WAYLAND_DISPLAY unset); without one, try" >&2
  echo "run:   bash scripts/run.sh --screenshot vnd-client.png" >&2
fi
exec build/gui/vnd-client "${logon[@]}" "$@"
