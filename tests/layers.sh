#!/bin/bash
# Fails when a source file includes one of our headers from a folder its own
# folder may not depend on. Layers run one way: the framework knows nothing
# of ours, the subsystem declarations know only the framework, the screen
# knows those, and the programs on top know what they host. Tests and
# benchmarks may include anything.
#
# Usage: layers.sh <source root>
set -u
root=${1:?source root}
cd "$root" || exit 2

# folder -> the folders (besides itself) whose headers it may include
declare -A allowed=(
  [platform]=""
  [sale]="platform"
  [register]="platform"
  [zreduction]="platform"
  [screen]="platform sale register zreduction"
  [server]="platform"
  [client]="platform server"
  [script]="platform server client screen"
  [gui]="platform server client script"
)

status=0
for dir in "${!allowed[@]}"; do
  while IFS=: read -r file line target; do
    to=${target%%/*}
    [[ $to == "$dir" ]] && continue
    [[ -v allowed[$to] ]] || continue  # not one of our folders
    if [[ " ${allowed[$dir]} " != *" $to "* ]]; then
      echo "$file:$line: $dir/ may not include $target"
      status=1
    fi
  done < <(grep -rnoE --include='*.h' --include='*.cpp' '^#include "[^"]+"' "$dir" |
           sed -E 's/^([^:]+):([0-9]+):#include "([^"]+)"/\1:\2:\3/')
done
exit $status
