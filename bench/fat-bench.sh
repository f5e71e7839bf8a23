#!/usr/bin/env bash
# The FAT engine's benchmarks, each side by side with a peer in one run:
#   1. Standard and Professional lost-directory search over a 1 GiB FAT32
#      volume against dd bs=1M over the same sectors (page cache warm);
#   2. tree building from 25,000, 50,000 and 100,000 lost directories (how
#      the time grows when the folders double);
#   3. the full listing (search, tree, every folder opened) of a volume with
#      5,050 folders against fls -r -p on the same image.
# Best of three runs each. The images are made here with mkfs.fat and mtools.
# Usage: bench/fat-bench.sh   (BUILD=dir to use an existing release build)
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8 MTOOLS_SKIP_CHECK=1

BUILD=${BUILD:-build/release}
if [[ $BUILD == build/release ]]; then
    cmake --preset release >/dev/null
else
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
        >/dev/null
fi
cmake --build "$BUILD" --target fat_bench quorvane-cli >/dev/null
bench=$BUILD/bench/fat_bench
cli=$BUILD/cli/quorvane-cli
out=$BUILD/bench/fat
mkdir -p "$out"

now() { date +%s.%N; }
best() { if (( $(echo "$1 < $2" | bc -l) )); then echo "$1"; else echo "$2"; fi; }

# A disk image with one FAT32 partition at sector 2048: make_disk IMAGE MIB SPC
make_disk() {
    local image=$1 mib=$2 spc=$3
    rm -f "$image"
    truncate -s "${mib}M" "$image"
    printf 'label: dos\nunit: sectors\n\nstart=2048, type=c\n' |
        sfdisk -q --no-reread --no-tell-kernel "$image"
    local sectors=$(( mib * 2048 - 2048 ))
    mkfs.fat -F 32 -s "$spc" -g 255/63 --offset=2048 -h 2048 "$image" $(( sectors / 2 )) \
        >/dev/null 2>&1
    echo $(( 2048 + sectors ))
}

# mmd with many folders per call (one call per 100 folders).
make_folders() {
    local dev=$1; shift
    local batch=()
    for f in "$@"; do
        batch+=("::/$f")
        if (( ${#batch[@]} == 100 )); then mmd -i "$dev" "${batch[@]}"; batch=(); fi
    done
    (( ${#batch[@]} == 0 )) || mmd -i "$dev" "${batch[@]}"
}

# --- 1. search throughput ----------------------------------------------------
big=$out/fat32-1g.img
if [[ ! -f $big ]]; then
    end=$(make_disk "$big" 1024 8)
    folders=()
    for i in $(seq 1 20); do folders+=("Top$i"); done
    for i in $(seq 1 20); do for j in $(seq 1 10); do folders+=("Top$i/Sub$j"); done; done
    make_folders "$big@@$(( 2048 * 512 ))" "${folders[@]}"
    # Data in the volume, so that the search reads real clusters.
    head -c 200M /dev/urandom >"$out/payload.bin"
    mcopy -i "$big@@$(( 2048 * 512 ))" "$out/payload.bin" ::/Top1/payload.bin
    rm -f "$out/payload.bin"
fi
end=$(( $(stat -c %s "$big") / 512 ))
cat "$big" >/dev/null
for mode in standard professional; do
    best_dd=999999 best_ours=999999 bytes=0 found=0
    for run in 1 2 3; do
        read -r bytes seconds found < <("$bench" search "$big" "$mode" 2048 "$end")
        best_ours=$(best "$seconds" "$best_ours")
        skip=$(( end - bytes / 512 ))
        t0=$(now)
        dd if="$big" of=/dev/null bs=1M iflag=skip_bytes skip=$(( skip * 512 )) status=none
        t1=$(now)
        best_dd=$(best "$(echo "$t1 - $t0" | bc -l)" "$best_dd")
    done
    printf '1. %-12s search: %d folders, %.0f MiB/s; dd %.0f MiB/s over the same %d MiB; ratio %.2f\n' \
        "$mode" "$found" "$(echo "$bytes / $best_ours / 1048576" | bc -l)" \
        "$(echo "$bytes / $best_dd / 1048576" | bc -l)" $(( bytes / 1048576 )) \
        "$(echo "$best_dd / $best_ours" | bc -l)"
done

# --- 2. tree building ---------------------------------------------------------
declare -A tree_time
for n in 25000 50000 100000; do
    t=999999
    for run in 1 2 3; do
        read -r _ seconds _ < <("$bench" tree "$n")
        t=$(best "$seconds" "$t")
    done
    tree_time[$n]=$t
    printf '2. tree from %6d lost directories: %.3f s\n' "$n" "$t"
done
printf '2. doubling 25k->50k: x%.2f, 50k->100k: x%.2f\n' \
    "$(echo "${tree_time[50000]} / ${tree_time[25000]}" | bc -l)" \
    "$(echo "${tree_time[100000]} / ${tree_time[50000]}" | bc -l)"

# --- 3. full listing against fls -----------------------------------------------
wide=$out/fat32-5000.img
if [[ ! -f $wide ]]; then
    make_disk "$wide" 64 1 >/dev/null
    folders=()
    for i in $(seq 1 50); do folders+=("Folder $i"); done
    for i in $(seq 1 50); do
        for j in $(seq 1 100); do folders+=("Folder $i/Sub folder $j"); done
    done
    make_folders "$wide@@$(( 2048 * 512 ))" "${folders[@]}"
fi
cat "$wide" >/dev/null
best_ours=999999 best_fls=999999
for run in 1 2 3; do
    t0=$(now)
    "$cli" list "$wide" --partition 1 --json >"$out/list.json"
    t1=$(now)
    fls -r -p -o 2048 "$wide" >"$out/fls.txt"
    t2=$(now)
    best_ours=$(best "$(echo "$t1 - $t0" | bc -l)" "$best_ours")
    best_fls=$(best "$(echo "$t2 - $t1" | bc -l)" "$best_fls")
done
printf '3. full listing of %d entries: %.3f s; fls -r -p (%d entries) %.3f s; ratio %.2f\n' \
    "$(grep -c '"path"' "$out/list.json")" "$best_ours" "$(wc -l <"$out/fls.txt")" "$best_fls" \
    "$(echo "$best_fls / $best_ours" | bc -l)"
