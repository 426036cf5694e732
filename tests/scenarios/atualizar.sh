#!/bin/sh
# Rewrites the expected transcript (.out) of every scenario script (.vnd) in
# this folder from a run of vnd-script, after a behaviour change that is
# meant. Review the difference (git diff) before committing it.
#
#   tests/scenarios/atualizar.sh [BUILD_DIR] [ROTEIRO.vnd...]
#
# BUILD_DIR defaults to build/ at the top of the checkout; without scripts,
# every script of the folder is run.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-"$here/../../build"}
[ $# -gt 0 ] && shift
runner="$build/script/vnd-script"
if [ ! -x "$runner" ]; then
  echo "atualizar.sh: $runner não existe; construa o alvo vnd-script" >&2
  exit 2
fi
[ $# -eq 0 ] && set -- "$here"/*.vnd
status=0
for script in "$@"; do
  expected="${script%.vnd}.out"
  "$runner" --esperado "$expected" --atualizar "$script"
  rc=$?
  echo "$(basename "$script"): saída $rc"
  [ $rc -ne 0 ] && status=1
done
exit $status
