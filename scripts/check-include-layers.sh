#!/usr/bin/env bash
# Checks that no source of a library includes a header from a layer above its
# own. MAP (written by cmake/Layers.cmake) has one line per library folder:
# the folder, then every folder it may include from. Run from the source root.
# Usage: scripts/check-include-layers.sh MAP
set -euo pipefail
map=$1

declare -A allowed
declare -A known
while read -r folder rest; do
    [[ -n $folder ]] || continue
    known[$folder]=1
    allowed[$folder]=" $folder $rest "
done <"$map"

status=0
for folder in "${!known[@]}"; do
    shopt -s nullglob
    for file in "$folder"/*.h "$folder"/*.cpp; do
        while IFS=: read -r line include; do
            dir=$(dirname "$include")
            if [[ ${allowed[$folder]} != *" $dir "* ]]; then
                echo "$file:$line: includes \"$include\" from $dir, not a layer below $folder" >&2
                status=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
            sed -E 's/^([0-9]+):.*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1:\2/')
    done
done
if [[ $status -eq 0 ]]; then
    echo "include layers: ${#known[@]} folders checked, no include from a layer above"
fi
exit $status
