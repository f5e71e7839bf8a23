#!/usr/bin/env bash
# Partition search against TestDisk's quick search (its analysis of a disk
# whose partition table is gone), side by side on the same 4 GiB sparse image,
# best of three runs each. The image holds a FAT32 volume at 1 MiB, a FAT16
# volume at 2 GiB (both 1 MiB aligned) and a FAT32 volume one track into a
# cylinder, with sector 0 zeroed.
# Usage: bench/search-bench.sh [IMAGE]   (BUILD=dir selects the release build, default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/release}
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" --target search_bench -j2 >/dev/null
command -v testdisk >/dev/null || { echo "search-bench: testdisk is not installed" >&2; exit 1; }

image=${1:-$build/bench/search-4g.img}
if [[ ! -f $image ]]; then
    mkdir -p "$(dirname "$image")"
    truncate -s 4G "$image"
    printf 'label: dos\nunit: sectors\n\nstart=2048, size=2097152, type=c\nstart=4194304, size=1048576, type=6\nstart=6538518, size=1048576, type=c\n' |
        sfdisk -q --no-reread --no-tell-kernel "$image"
    mkfs.fat -F 32 -g 255/63 --offset=2048 -h 2048 "$image" 1048576 >/dev/null 2>&1
    mkfs.fat -F 16 -g 255/63 --offset=4194304 -h 4194304 "$image" 524288 >/dev/null 2>&1
    # 6538518 = cylinder 407 x 16065 + 63: an old-style start
    mkfs.fat -F 32 -g 255/63 --offset=6538518 -h 6538518 "$image" 524288 >/dev/null 2>&1
    dd if=/dev/zero of="$image" bs=512 count=1 conv=notrunc status=none
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(realpath "$image")" "$work/disk.img"

best_ours=999999
best_small=999999
best_theirs=999999
for run in 1 2 3; do
    read -r ours found < <("$build/bench/search_bench" "$image")
    # The same search with a 4 KiB read-ahead block: what the scattered
    # single-sector reads cost without refilling the reader's 512 KiB block.
    read -r small _ < <("$build/bench/search_bench" "$image" 4096)
    rm -f "$work/testdisk.log"
    t0=$(date +%s.%N)
    (cd "$work" && testdisk /log /cmd disk.img analyze >/dev/null 2>&1)
    t1=$(date +%s.%N)
    theirs=$(echo "$t1 - $t0" | bc -l)
    printf 'run %d: search %.3f s (4 KiB read-ahead %.3f s), testdisk %.3f s\n' "$run" "$ours" \
        "$small" "$theirs"
    best_ours=$(echo "if ($ours < $best_ours) $ours else $best_ours" | bc -l)
    best_small=$(echo "if ($small < $best_small) $small else $best_small" | bc -l)
    best_theirs=$(echo "if ($theirs < $best_theirs) $theirs else $best_theirs" | bc -l)
done
echo "search found: $found"
echo "testdisk found:"
sed -n '/search_part()/,/interface_write()/p' "$work/testdisk.log" | grep -E '^ +(FAT|HPFS)' || true
printf 'best: search %.3f s, with 4 KiB read-ahead %.3f s, testdisk %.3f s\n' "$best_ours" \
    "$best_small" "$best_theirs"
printf 'ratio testdisk / search %.2f (with 4 KiB read-ahead %.2f)\n' \
    "$(echo "$best_theirs / $best_ours" | bc -l)" "$(echo "$best_theirs / $best_small" | bc -l)"
