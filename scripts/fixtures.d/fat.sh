# Image group "fat": sourced by scripts/make-fixtures.sh (see its helpers).
# Volumes for the FAT engine: deep and wide folders, long and non-ASCII names,
# deleted files and folders, a fragmented file, and damaged volumes.

# Extra content on top of the common tree, written by fat_volume_plus:
#   Fragmented/           a file whose clusters are split by another file
#   Projects/Alpha/Designs/Final/   the fourth folder level
#   Many Files/           45 files with long names (a directory of many clusters)
#   Données été/          non-ASCII names, a CJK one among them
#   Trash Folder/         removed with mdeltree at the end (a deleted folder)
cat >"$WORK/fat-extras.py" <<'PY'
import hashlib, json, os, sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fx import Stream, text  # noqa: E402


def put(stage, ops, entries, index, path, data):
    full = os.path.join(stage, *path.split("/"))
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    ops.append(("put", path))
    index[path] = len(entries)
    entries.append({"path": path, "kind": "file", "size": len(data),
                    "sha256": hashlib.sha256(data).hexdigest(), "deleted": False})


def mkdir(stage, ops, entries, index, path):
    os.makedirs(os.path.join(stage, *path.split("/")), exist_ok=True)
    ops.append(("mkdir", path))
    index[path] = len(entries)
    entries.append({"path": path, "kind": "folder", "size": 0, "deleted": False})


def main(tag, stage, ops_path, entries_path, cluster_bytes, fat32):
    cluster_bytes = int(cluster_bytes)
    with open(ops_path, encoding="utf-8") as f:
        base_ops = [tuple(line.rstrip("\n").split("\t")) for line in f if line.strip()]
    with open(entries_path, encoding="utf-8") as f:
        entries = json.load(f)
    index = {e["path"]: i for i, e in enumerate(entries)}
    ops = []
    rnd = Stream(tag + ":extras")

    # The fragmented file first, while the volume is empty: a filler and a
    # spacer, the filler removed, then a file larger than the gap it left.
    mkdir(stage, ops, entries, index, "Fragmented")
    put(stage, ops, entries, index, "Fragmented/filler.bin", rnd.take(3 * cluster_bytes))
    put(stage, ops, entries, index, "Fragmented/spacer.bin", rnd.take(cluster_bytes))
    ops.append(("del", "Fragmented/filler.bin"))
    # Its clusters go to the next file: the entry stays, marked deleted.
    filler = entries[index["Fragmented/filler.bin"]]
    filler["deleted"] = True
    filler["clustersReused"] = True
    del filler["sha256"]
    if fat32 == "1":
        ops.append(("fsinfo-reset", ""))  # so that allocation starts over at the gap
    put(stage, ops, entries, index, "Fragmented/big fragmented file.bin",
        rnd.take(7 * cluster_bytes + 100))

    deletions = [op for op in base_ops if op[0] == "del"]
    ops.extend(op for op in base_ops if op[0] != "del")

    mkdir(stage, ops, entries, index, "Projects/Alpha/Designs/Final")
    put(stage, ops, entries, index, "Projects/Alpha/Designs/Final/layout v2.txt",
        text(tag + ":layout", 12, "Final layout (%s)" % tag))
    mkdir(stage, ops, entries, index, "Many Files")
    for i in range(1, 46):
        put(stage, ops, entries, index, "Many Files/entry number %02d with a long name.txt" % i,
            text(tag + ":many%d" % i, 1 + i % 5, "Entry %d" % i))
    mkdir(stage, ops, entries, index, "Données été")
    put(stage, ops, entries, index, "Données été/日本語のファイル.txt",
        text(tag + ":cjk", 3, "CJK (%s)" % tag))
    put(stage, ops, entries, index, "Données été/naïve café.txt",
        text(tag + ":cafe", 3, "Café (%s)" % tag))
    mkdir(stage, ops, entries, index, "Trash Folder")
    put(stage, ops, entries, index, "Trash Folder/to be removed.txt",
        text(tag + ":trash1", 6, "Removed (%s)" % tag))
    put(stage, ops, entries, index, "Trash Folder/B.TXT", text(tag + ":trash2", 2, "B"))
    mkdir(stage, ops, entries, index, "Trash Folder/Inner")
    put(stage, ops, entries, index, "Trash Folder/Inner/deep.txt",
        text(tag + ":trash3", 2, "Deep (%s)" % tag))

    ops.extend(deletions)
    ops.append(("deltree", "Trash Folder"))
    for e in entries:
        if e["path"] == "Trash Folder" or e["path"].startswith("Trash Folder/"):
            e["deleted"] = True

    with open(ops_path, "w", encoding="utf-8") as f:
        for op, path in ops:
            f.write("%s\t%s\n" % (op, path))
    with open(entries_path, "w", encoding="utf-8") as f:
        json.dump(entries, f, ensure_ascii=False)


if __name__ == "__main__":
    main(*sys.argv[1:])
PY

# fat_volume_plus PARTNO FIRST SECTORS FATBITS SECTORS_PER_CLUSTER SERIAL LABEL TAG
# As fat_volume, with the extra content above.
fat_volume_plus() {
    local part=$1 first=$2 sectors=$3 bits=$4 spc=$5 serial=$6 label=$7 tag=$8
    format_fat "$first" "$sectors" "$bits" "$spc" "$serial" "$label"

    stage_tree "$tag"
    python3 "$WORK/fat-extras.py" "$tag" "$STAGE" "$OPS" "$ENTRIES" $(( spc * 512 )) \
        $(( bits == 32 ? 1 : 0 ))
    local dev="$IMG@@$(( first * 512 ))" op path
    local b=$(( first * 512 ))
    while IFS=$'\t' read -r op path <&3; do
        case $op in
            mkdir)   quiet ft mmd -i "$dev" "::/$path" ;;
            put)     quiet ft mcopy -i "$dev" "$STAGE/$path" "::/$path" ;;
            del)     quiet ft mdel -i "$dev" "::/$path" ;;
            deltree) quiet ft mdeltree -i "$dev" "::/$path" ;;
            # FSInfo "next free cluster" unknown: allocation starts at the lowest free cluster.
            fsinfo-reset)
                printf '\xff\xff\xff\xff' | dd of="$IMG" bs=1 seek=$(( b + 512 + 492 )) \
                    conv=notrunc status=none ;;
        esac
    done 3<"$OPS"

    note_fat_volume "$part" "$first" "$bits" "$spc" "$serial" "$label"
}

# ---------------------------------------------------------------------------
# fat16-full.img: FAT16 with everything (2 sectors per cluster)
# ---------------------------------------------------------------------------
begin_image fat16-full 36864 "MBR with one FAT16 partition (type 0x06, 2 sectors per \
cluster). The common tree plus: a fragmented file (Fragmented/), a fourth folder level \
(Projects/Alpha/Designs/Final), 45 long-named files in one folder (Many Files), non-ASCII \
names (Données été), a folder removed with mdeltree (Trash Folder) and the common deleted \
file. No damage."
partition_table <<'EOF'
label: dos
label-id: 0x51a7f016
unit: sectors

start=2048, size=32768, type=6
EOF
note_partition 1 06 2048 34816 FAT16 0
fat_volume_plus 1 2048 32768 16 2 F0160001 QV_F16FULL fat16-full
finish_image

# ---------------------------------------------------------------------------
# fat32-full.img: FAT32 with everything (512-byte clusters)
# ---------------------------------------------------------------------------
begin_image fat32-full 68640 "MBR with one FAT32 partition (type 0x0c, 1 sector per \
cluster); the same content as fat16-full. No damage."
partition_table <<'EOF'
label: dos
label-id: 0x51a7f032
unit: sectors

start=2048, size=66592, type=c
EOF
note_partition 1 0c 2048 68640 FAT32 0
fat_volume_plus 1 2048 66592 32 1 F0320001 QV_F32FULL fat32-full
finish_image

# ---------------------------------------------------------------------------
# fat12-full.img: a 1.44 MB floppy with the same content
# ---------------------------------------------------------------------------
begin_image fat12-full 2880 "1.44 MB floppy image (FAT12 at sector 0, no partition \
table) with the same content as fat16-full. No damage."
fat_volume_plus 0 0 2880 12 1 F0120001 QV_F12FULL fat12-full
finish_image

# ---------------------------------------------------------------------------
# fat32-rootzero.img: FAT32 whose first root-directory cluster was zeroed
# ---------------------------------------------------------------------------
begin_image fat32-rootzero 68640 "MBR with one FAT32 partition (1 sector per cluster) \
holding the common tree; afterwards the first cluster of the root directory was zeroed, so \
the root folders and files listed in it are gone from the directory; their own clusters are \
intact."
partition_table <<'EOF'
label: dos
label-id: 0x51a7f0a0
unit: sectors

start=2048, size=66592, type=c
EOF
note_partition 1 0c 2048 68640 FAT32 0
fat_volume 1 2048 66592 32 1 F032A000 QV_ROOT0 fat32-rootzero
reserved=$(le "$IMG" $(( 2048 * 512 + 0x0e )) 2)
fatsz=$(le "$IMG" $(( 2048 * 512 + 0x24 )) 4)
rootclus=$(le "$IMG" $(( 2048 * 512 + 0x2c )) 4)
root_sector=$(( 2048 + reserved + 2 * fatsz + (rootclus - 2) ))
[[ $(le "$IMG" $(( root_sector * 512 + 11 )) 1) == 8 ]] || die "fat32-rootzero: no label at root"
zero_bytes "$root_sector" 512
note_damage "zeroed the first root-directory cluster (cluster $rootclus)" "$root_sector" 1
finish_image

# ---------------------------------------------------------------------------
# fat16-fatzero.img: FAT16 whose two FATs were zeroed
# ---------------------------------------------------------------------------
begin_image fat16-fatzero 36864 "MBR with one FAT16 partition (4 sectors per cluster) \
holding the common tree; afterwards both FATs were zeroed entirely (every chain is gone, \
the directories are intact)."
partition_table <<'EOF'
label: dos
label-id: 0x51a7f0f0
unit: sectors

start=2048, size=32768, type=6
EOF
note_partition 1 06 2048 34816 FAT16 0
fat_volume 1 2048 32768 16 4 F016F000 QV_FATZERO fat16-fatzero
reserved=$(le "$IMG" $(( 2048 * 512 + 0x0e )) 2)
fatsz=$(le "$IMG" $(( 2048 * 512 + 0x16 )) 2)
zero_bytes $(( 2048 + reserved )) $(( 2 * fatsz * 512 ))
note_damage "zeroed both FATs" $(( 2048 + reserved )) $(( 2 * fatsz ))
finish_image

# ---------------------------------------------------------------------------
# fat32-two.img: two FAT32 volumes on one disk, for the Professional search
# ---------------------------------------------------------------------------
begin_image fat32-two 136224 "MBR with two FAT32 partitions (1 sector per cluster), each \
with the common tree and its own contents. No damage. (66.5 MiB: two FAT32 volumes cannot \
be smaller.)"
partition_table <<'EOF'
label: dos
label-id: 0x51a7f022
unit: sectors

start=2048, size=66592, type=c
start=69632, size=66592, type=c
EOF
note_partition 1 0c 2048 68640 FAT32 0
note_partition 2 0c 69632 136224 FAT32 0
fat_volume 1 2048 66592 32 1 F0320021 QV_TWO_A fat32-two-a
fat_volume 2 69632 66592 32 1 F0320022 QV_TWO_B fat32-two-b
finish_image
