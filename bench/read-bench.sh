#!/usr/bin/env bash
# Sequential read throughput: the sector reader in 16-sector requests against
# dd bs=1M over the same 1 GiB image in the page cache, side by side, best of
# three runs each. Usage: bench/read-bench.sh [IMAGE]   (builds the release preset)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target read_bench >/dev/null

image=${1:-build/release/bench/read-1g.img}
if [[ ! -f $image ]]; then
    mkdir -p "$(dirname "$image")"
    head -c 1G /dev/urandom >"$image"
fi
cat "$image" >/dev/null # into the page cache

bytes=$(stat -c %s "$image")
best_dd=0
best_ours=0
for run in 1 2 3; do
    t0=$(date +%s.%N)
    dd if="$image" of=/dev/null bs=1M status=none
    t1=$(date +%s.%N)
    dd_rate=$(echo "$bytes / ($t1 - $t0) / 1048576" | bc -l)
    read -r read_bytes seconds _ < <(build/release/bench/read_bench "$image")
    ours_rate=$(echo "$read_bytes / $seconds / 1048576" | bc -l)
    printf 'run %d: dd %.0f MiB/s, ReadSectors(16) %.0f MiB/s\n' "$run" "$dd_rate" "$ours_rate"
    best_dd=$(echo "if ($dd_rate > $best_dd) $dd_rate else $best_dd" | bc -l)
    best_ours=$(echo "if ($ours_rate > $best_ours) $ours_rate else $best_ours" | bc -l)
done
printf 'best: dd %.0f MiB/s, ReadSectors(16) %.0f MiB/s, ratio %.2f\n' \
    "$best_dd" "$best_ours" "$(echo "$best_ours / $best_dd" | bc -l)"
