#!/usr/bin/env bash
# Checks that #include "folder/..." lines point from a layer only to itself
# or to the layers below it:
#   platform < res < audio < split   the model, no Qt
#   platform/ui, audio/ui, split/ui  the windows, over the model
#   cli                              tolvane-cut, over the model
#   app, player                      the desktop program
# Prints each include that points the wrong way and exits 1 when there is one.
#
#   bash scripts/check-layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A allowed=(
  [platform]="platform"
  [res]="res platform"
  [audio]="audio res platform"
  [split]="split audio res platform"
  [platform/ui]="platform/ui platform"
  [audio/ui]="audio/ui platform/ui audio res platform"
  [split/ui]="split/ui audio/ui platform/ui split audio res platform"
  [cli]="cli split audio res platform"
  [player]="player platform/ui platform"
  [app]="app player split/ui audio/ui platform/ui split audio res platform"
)

# The layer of a path: its longest leading folder that is a layer.
layer_of() {
  local path=$1 best=""
  for l in "${!allowed[@]}"; do
    if [[ $path == "$l"/* && ${#l} -gt ${#best} ]]; then best=$l; fi
  done
  echo "$best"
}

bad=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  [ -n "$from" ] || continue
  while IFS= read -r target; do
    to=$(layer_of "$target")
    [ -n "$to" ] || continue
    if [[ " ${allowed[$from]} " != *" $to "* ]]; then
      echo "$file: includes $target ($from may not depend on $to)"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find platform res audio split cli app player -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
exit $bad
