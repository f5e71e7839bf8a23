#!/usr/bin/env bash
# Builds the optimised preset and shows what the bundled demo disk holds: its
# partitions, the validated parameters of every volume, and the folders and
# files (deleted ones included) of its FAT volumes.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh build
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset release && cmake --build --preset release; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "run.sh: the release build failed" >&2
    exit 1
fi

demo=build/release/demo/demo.img
if [[ ! -f $demo || tests/fixtures/disks.tar.xz -nt $demo ]]; then
    mkdir -p build/release/demo
    tar -xJf tests/fixtures/disks.tar.xz -C build/release/demo demo.img demo.json
    touch "$demo"
fi

cli=build/release/cli/quorvane-cli
"$cli" partitions "$demo"
count=$("$cli" partitions "$demo" --json | grep -c '"number"')
for ((k = 1; k <= count; k++)); do
    echo
    "$cli" volume "$demo" --partition "$k"
done

# What the FAT volumes hold, deleted files included, as the Standard search
# rebuilds their folder trees.
while read -r k; do
    echo
    echo "== Partition $k: folders and files"
    "$cli" list "$demo" --partition "$k"
done < <("$cli" partitions "$demo" | sed -n 's/^ *Partition - \([0-9]*\) ( FAT.*/\1/p')

echo
echo "The wizard on the demo disk: build/release/app/quorvane --image $demo"
