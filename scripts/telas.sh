#!/usr/bin/env bash
# Renders every screen picture of docs/telas/ again from its scenario script,
# off screen, with the built desktop client.
set -euo pipefail
cd "$(dirname "$0")/.."
client=build/gui/vnd-client
[ -x "$client" ] || { echo "telas.sh: build the client first (scripts/test.sh or cmake --build build)" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
for script in docs/telas/*.vnd; do
  "$client" --roteiro "$script" --screenshot "${script%.vnd}.png" --tamanho "${TAMANHO:-1366x728}"
done
