#!/usr/bin/env bash
# Builds the test disk images and packs each group into tests/fixtures/GROUP.tar.xz.
#
# Every image is produced with the ordinary system tools (sfdisk, sgdisk, mkfs.fat,
# mtools, mkntfs, ntfslabel, ntfs-3g, dd); none of our own code is involved,
# so the images are an independent reference for the readers under test.
# Each NAME.img comes with NAME.json describing the layout, the files written
# (with sizes and SHA-256), the deletions and any damage applied afterwards.
#
# Requirements: root (ntfs-3g needs FUSE), python3, xz, GNU tar, and the
# Debian packages fdisk, gdisk, dosfstools, mtools, ntfs-3g (and sleuthkit for
# the ntfs group, which checks each volume with fls). faketime is optional:
# with it all timestamps are pinned to FIXED_TIME and re-runs produce
# byte-identical images; without it the images are equivalent but the
# directory-entry / MFT timestamps differ from run to run.
#
# Usage: scripts/make-fixtures.sh [GROUP ...]   (groups are scripts/fixtures.d/*.sh)
set -Eeuo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

FIXED_TIME='2024-03-15 10:00:00'
export TZ=UTC LC_ALL=C.UTF-8 MTOOLS_SKIP_CHECK=1
umask 022

die() { echo "make-fixtures: $*" >&2; exit 1; }

[[ $(id -u) -eq 0 ]] || die "must run as root (ntfs-3g FUSE mounts)"
for tool in sfdisk mkfs.fat mmd mcopy mdel mkntfs ntfslabel ntfs-3g mountpoint \
            python3 xz tar dd od truncate; do
    command -v "$tool" >/dev/null || die "missing tool: $tool"
done
[[ -e /dev/fuse ]] || die "/dev/fuse is not available"

HAVE_FAKETIME=0
if command -v faketime >/dev/null; then HAVE_FAKETIME=1; else
    echo "make-fixtures: faketime not found; timestamps will not be reproducible" >&2
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/qv-fixtures.XXXXXX")
NTFS_MNT=""
NTFS_PID=""

cleanup() {
    local rc=$?
    set +e
    if [[ -n $NTFS_MNT ]] && mountpoint -q "$NTFS_MNT"; then
        umount "$NTFS_MNT" || umount -l "$NTFS_MNT"
    fi
    [[ -n $NTFS_PID ]] && wait "$NTFS_PID" 2>/dev/null
    rm -rf "$WORK"
    exit "$rc"
}
trap cleanup EXIT
trap 'echo "make-fixtures: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
trap 'exit 130' INT TERM

OUTDIR=$WORK/out
META=$WORK/meta
mkdir -p "$OUTDIR" "$META"

# Runs a command with the clock frozen at FIXED_TIME (when faketime exists).
# The monotonic clock is left alone so FUSE and sleeps keep working.
ft() {
    if (( HAVE_FAKETIME )); then
        FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "$FIXED_TIME" "$@"
    else
        "$@"
    fi
}

# Runs a command, showing its output only if it fails.
quiet() {
    local log=$WORK/cmd.log
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        die "command failed: $*"
    fi
}

# Little-endian unsigned field of an image: le IMAGE BYTE_OFFSET WIDTH(1|2|4|8)
le() { od -An -v -j "$2" -N "$3" -t "u$3" "$1" | tr -d ' \n'; }

# ---------------------------------------------------------------------------
# Helper that generates file contents and writes the manifests.
# ---------------------------------------------------------------------------
cat >"$WORK/fx.py" <<'PY'
import hashlib, json, os, sys

WORDS = ("account budget client delta estimate forecast growth harbor invoice "
         "journal kernel ledger margin network office payroll quarter revenue "
         "sector target update vendor window yield zone archive backup cluster "
         "sector volume partition recovery").split()
CYRILLIC = "ключ данные отчёт резюме файл папка диск".split()


class Stream:
    """Deterministic byte stream: SHA-256 of seed and a block counter."""
    def __init__(self, seed):
        self.seed = seed.encode()
        self.counter = 0
        self.buf = b""

    def take(self, n):
        while len(self.buf) < n:
            self.buf += hashlib.sha256(self.seed + self.counter.to_bytes(8, "little")).digest()
            self.counter += 1
        out, self.buf = self.buf[:n], self.buf[n:]
        return out

    def below(self, n):
        return int.from_bytes(self.take(4), "little") % n


def text(seed, lines, title, words=WORDS):
    rnd = Stream(seed)
    out = [title, ""]
    for i in range(lines):
        count = 5 + rnd.below(8)
        out.append("%04d %s." % (i + 1, " ".join(words[rnd.below(len(words))] for _ in range(count))))
    return ("\n".join(out) + "\n").encode("utf-8")


def csv(seed, rows):
    rnd = Stream(seed)
    out = ["id,name,city,balance"]
    for i in range(rows):
        out.append("%d,%s %s,%s,%d.%02d" % (
            i + 1, WORDS[rnd.below(len(WORDS))].title(), WORDS[rnd.below(len(WORDS))].title(),
            WORDS[rnd.below(len(WORDS))].title(), rnd.below(100000), rnd.below(100)))
    return ("\r\n".join(out) + "\r\n").encode("ascii")


def binary(seed, size, head=b"", tail=b""):
    body = Stream(seed).take(size - len(head) - len(tail))
    return head + body + tail


def tree(tag):
    """The file tree written to every volume, in the order it is written."""
    s = lambda path: tag + ":" + path
    ops = [
        ("mkdir", "Docs", None),
        ("put", "Docs/Quarterly Report for the Board.txt",
         text(s("report"), 40, "Quarterly report for the board (%s)" % tag)),
        ("put", "Docs/Contacts1.csv", csv(s("contacts"), 18)),           # 13-char name
        ("put", "Docs/Inventory.xlsx",                                    # 14-char name
         binary(s("inventory"), 5000, head=b"PK\x03\x04\x14\x00\x06\x00")),
        ("put", "Docs/empty.txt", b""),
        ("mkdir", "Projects", None),
        ("put", "Projects/plan.txt", text(s("plan"), 4, "Plan (%s)" % tag)),
        ("mkdir", "Projects/Alpha", None),
        ("put", "Projects/Alpha/notes.txt", text(s("notes"), 14, "Alpha notes (%s)" % tag)),
        ("mkdir", "Projects/Alpha/Designs", None),
        ("put", "Projects/Alpha/Designs/draft.txt", text(s("draft"), 24, "Alpha draft (%s)" % tag)),
        ("mkdir", "Photos", None),
        ("put", "Photos/IMG_0001.JPG",
         binary(s("photo"), 7000, head=b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00", tail=b"\xff\xd9")),
        ("put", "README.TXT", text(s("readme"), 5, "READ ME (%s)" % tag)),
        ("put", "Résumé ключ.txt", text(s("resume"), 9, "Résumé — ключ (%s)" % tag, CYRILLIC + WORDS)),
        # Written last and then deleted, so its clusters are never reused.
        ("put", "Docs/Old Budget Draft.txt", text(s("oldbudget"), 55, "Old budget draft (%s)" % tag)),
        ("del", "Docs/Old Budget Draft.txt", None),
    ]
    return ops


def cmd_stage(tag, stage, ops_path, entries_path):
    entries, index = [], {}
    with open(ops_path, "w", encoding="utf-8") as ops_file:
        for op, path, data in tree(tag):
            ops_file.write("%s\t%s\n" % (op, path))
            full = os.path.join(stage, *path.split("/"))
            if op == "mkdir":
                os.makedirs(full)
                index[path] = len(entries)
                entries.append({"path": path, "kind": "folder", "size": 0, "deleted": False})
            elif op == "put":
                with open(full, "wb") as f:
                    f.write(data)
                index[path] = len(entries)
                entries.append({"path": path, "kind": "file", "size": len(data),
                                "sha256": hashlib.sha256(data).hexdigest(), "deleted": False})
            elif op == "del":
                entries[index[path]]["deleted"] = True
    with open(entries_path, "w", encoding="utf-8") as f:
        json.dump(entries, f, ensure_ascii=False)


def cmd_volume(out_path, entries_path, partition, fs, first, sectors, serial, label, *params):
    with open(entries_path, encoding="utf-8") as f:
        entries = json.load(f)
    vol = {"partition": int(partition), "fileSystem": fs, "firstSector": int(first),
           "sectors": int(sectors), "serial": serial, "label": label,
           "params": {k: int(v) for k, v in (p.split("=", 1) for p in params)},
           "entries": entries}
    with open(out_path, "w", encoding="utf-8") as f:
        json.dump(vol, f, ensure_ascii=False)


def cmd_manifest(name, image, meta_dir, out_path):
    def rows(fname):
        p = os.path.join(meta_dir, fname)
        if not os.path.exists(p):
            return []
        with open(p, encoding="utf-8") as f:
            return [line.rstrip("\n").split("\t") for line in f if line.strip()]

    with open(os.path.join(meta_dir, "description"), encoding="utf-8") as f:
        description = f.read().strip()
    partitions = [{"number": int(n), "typeByte": int(t, 16), "firstSector": int(a),
                   "endSector": int(b), "fileSystem": fs, "logical": lg == "1"}
                  for n, t, a, b, fs, lg in rows("partitions.tsv")]
    gpt = [{"entry": int(e), "typeGuid": t, "uniqueGuid": u, "firstSector": int(a),
            "lastSector": int(b), "fileSystem": None if fs == "-" else fs, "listedAs": int(n),
            "name": name}
           for e, t, u, a, b, fs, n, name in rows("gpt.tsv")]
    # A GUID partition table's partitions as the walk lists them.
    partitions += [{"number": g["listedAs"], "firstSector": g["firstSector"],
                    "endSector": g["lastSector"] + 1, "fileSystem": g["fileSystem"],
                    "gptEntry": g["entry"], "name": g["name"], "typeGuid": g["typeGuid"],
                    "uniqueGuid": g["uniqueGuid"]}
                   for g in gpt if g["listedAs"] > 0]
    damage = [{"what": w, "sector": int(s), "count": int(c)} for w, s, c in rows("damage.tsv")]
    volumes = []
    for fname in sorted(os.listdir(meta_dir)):
        if fname.startswith("volume-") and fname.endswith(".json"):
            with open(os.path.join(meta_dir, fname), encoding="utf-8") as f:
                volumes.append(json.load(f))
    manifest = {"image": name + ".img", "sizeBytes": os.path.getsize(image), "sectorSize": 512,
                "description": description}
    manifest.update({k: v for k, v in rows("meta.tsv")})
    manifest.update({"partitions": partitions, "damage": damage, "volumes": volumes})
    if gpt:
        manifest["gptEntries"] = gpt
    with open(out_path, "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False, indent=2)
        f.write("\n")


if __name__ == "__main__":
    {"stage": cmd_stage, "volume": cmd_volume, "manifest": cmd_manifest}[sys.argv[1]](*sys.argv[2:])
PY

fx() { python3 "$WORK/fx.py" "$@"; }

# ---------------------------------------------------------------------------
# Image building blocks
# ---------------------------------------------------------------------------

# begin_image NAME SECTORS DESCRIPTION: creates an all-zero image.
begin_image() {
    IMG_NAME=$1
    IMG=$OUTDIR/$1.img
    IMG_META=$META/$1
    VOL_SEQ=0
    mkdir -p "$IMG_META"
    printf '%s\n' "$3" >"$IMG_META/description"
    truncate -s $(( $2 * 512 )) "$IMG"
}

# partition_table: sfdisk script on stdin, written into the current image.
partition_table() {
    quiet sfdisk -q --no-reread --no-tell-kernel "$IMG"
}

# note_partition NUMBER TYPE_HEX FIRST END FS LOGICAL(0|1)
note_partition() {
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$IMG_META/partitions.tsv"
}

# note_damage WHAT SECTOR COUNT
note_damage() {
    printf '%s\t%s\t%s\n' "$@" >>"$IMG_META/damage.tsv"
}

# stage_tree TAG: writes the file tree for one volume; sets STAGE, OPS, ENTRIES.
stage_tree() {
    VOL_SEQ=$(( VOL_SEQ + 1 ))
    STAGE=$WORK/stage/$IMG_NAME-$VOL_SEQ
    OPS=$STAGE.ops
    ENTRIES=$STAGE.entries.json
    mkdir -p "$STAGE"
    fx stage "$1" "$STAGE" "$OPS" "$ENTRIES"
}

# fat_volume PARTNO FIRST SECTORS FATBITS SECTORS_PER_CLUSTER SERIAL LABEL TAG
# Formats a FAT volume in place inside the image and writes the tree with mtools.
fat_volume() {
    local part=$1 first=$2 sectors=$3 bits=$4 spc=$5 serial=$6 label=$7 tag=$8
    format_fat "$first" "$sectors" "$bits" "$spc" "$serial" "$label"

    stage_tree "$tag"
    local dev="$IMG@@$(( first * 512 ))" op path
    while IFS=$'\t' read -r op path <&3; do
        case $op in
            mkdir) quiet ft mmd -i "$dev" "::/$path" ;;
            put)   quiet ft mcopy -i "$dev" "$STAGE/$path" "::/$path" ;;
            del)   quiet ft mdel -i "$dev" "::/$path" ;;
        esac
    done 3<"$OPS"

    note_fat_volume "$part" "$first" "$bits" "$spc" "$serial" "$label"
}

# format_fat FIRST SECTORS FATBITS SECTORS_PER_CLUSTER SERIAL LABEL
# Formats a FAT volume in place inside the image.
format_fat() {
    local first=$1 sectors=$2 bits=$3 spc=$4 serial=$5 label=$6
    local geometry=()
    (( first > 0 )) && geometry=(-g 255/63)
    # mkfs.fat warns about the block count not matching the file size; harmless.
    quiet ft mkfs.fat -F "$bits" -s "$spc" "${geometry[@]}" --offset="$first" -h "$first" \
        -i "$serial" -n "$label" "$IMG" $(( sectors / 2 ))
}

# note_fat_volume PARTNO FIRST FATBITS SECTORS_PER_CLUSTER SERIAL LABEL
# Records the volume in the manifest with the geometry its boot sector holds.
note_fat_volume() {
    local part=$1 first=$2 bits=$3 spc=$4 serial=$5 label=$6
    local b=$(( first * 512 ))
    local reserved fats roots fatsz total rootclus=0
    reserved=$(le "$IMG" $(( b + 0x0e )) 2)
    fats=$(le "$IMG" $(( b + 0x10 )) 1)
    roots=$(le "$IMG" $(( b + 0x11 )) 2)
    fatsz=$(le "$IMG" $(( b + 0x16 )) 2)
    total=$(le "$IMG" $(( b + 0x13 )) 2)
    (( total == 0 )) && total=$(le "$IMG" $(( b + 0x20 )) 4)
    if (( bits == 32 )); then
        fatsz=$(le "$IMG" $(( b + 0x24 )) 4)
        rootclus=$(le "$IMG" $(( b + 0x2c )) 4)
    fi
    [[ $(le "$IMG" $(( b + 0x0d )) 1) == "$spc" ]] || die "$IMG_NAME: unexpected cluster size"
    fx volume "$IMG_META/volume-$VOL_SEQ.json" "$ENTRIES" "$part" "FAT$bits" "$first" "$total" \
        "${serial:0:4}-${serial:4:4}" "$label" \
        reservedSectors="$reserved" numberOfFats="$fats" sectorsPerFat="$fatsz" \
        sectorsPerCluster="$spc" rootEntries="$roots" rootCluster="$rootclus" \
        totalSectors="$total"
}

# ntfs_format VOLFILE FIRST SECTORS SERIAL LABEL [CLUSTER_BYTES]
# Makes an NTFS volume in a standalone file (the volume is copied into the
# image by ntfs_place once it is filled).
ntfs_format() {
    local vol=$1 first=$2 sectors=$3 serial=$4 label=$5 cluster=${6:-}
    local opts=(-Q -q -F -p "$first" -H 255 -S 63 -L "$label")
    [[ -n $cluster ]] && opts+=(-c "$cluster")
    truncate -s $(( sectors * 512 )) "$vol"
    quiet ft mkntfs "${opts[@]}" "$vol"
    quiet ntfslabel --new-serial="$serial" "$vol"
}

# ntfs_mount VOLFILE [NTFS3G_OPTIONS]: mounts the volume at NTFS_MNT through FUSE.
ntfs_mount() {
    local vol=$1 extra=${2:-}
    NTFS_MNT=$WORK/mnt-$(basename "$vol" .vol)
    mkdir -p "$NTFS_MNT"
    # Foreground daemon, so that after umount we can wait for it to finish
    # writing the volume file (umount of a non-block FUSE mount is async).
    ft ntfs-3g -o "no_detach${extra:+,$extra}" "$vol" "$NTFS_MNT" >"$WORK/ntfs-3g.log" 2>&1 &
    NTFS_PID=$!
    local i
    for (( i = 0; i < 200; i++ )); do
        mountpoint -q "$NTFS_MNT" && break
        kill -0 "$NTFS_PID" 2>/dev/null || { cat "$WORK/ntfs-3g.log" >&2; die "ntfs-3g failed"; }
        sleep 0.05
    done
    mountpoint -q "$NTFS_MNT" || die "ntfs-3g mount timed out"
}

ntfs_unmount() {
    sync
    umount "$NTFS_MNT"
    wait "$NTFS_PID" || die "ntfs-3g exited with an error"
    NTFS_PID=""
    NTFS_MNT=""
}

# ntfs_place VOLFILE PARTNO FIRST SERIAL LABEL: copies the volume into the
# image and records it in the manifest with the geometry of its boot sector.
ntfs_place() {
    local vol=$1 part=$2 first=$3 serial=$4 label=$5
    dd if="$vol" of="$IMG" bs=1M oflag=seek_bytes seek=$(( first * 512 )) conv=notrunc status=none
    rm -f "$vol"

    local b=$(( first * 512 ))
    local spc total mft mirr cpr cpi
    spc=$(le "$IMG" $(( b + 0x0d )) 1)
    total=$(le "$IMG" $(( b + 0x28 )) 8)
    mft=$(le "$IMG" $(( b + 0x30 )) 8)
    mirr=$(le "$IMG" $(( b + 0x38 )) 8)
    cpr=$(le "$IMG" $(( b + 0x40 )) 1); (( cpr > 127 )) && cpr=$(( cpr - 256 ))
    cpi=$(le "$IMG" $(( b + 0x44 )) 1); (( cpi > 127 )) && cpi=$(( cpi - 256 ))
    fx volume "$IMG_META/volume-$VOL_SEQ.json" "$ENTRIES" "$part" NTFS "$first" "$total" \
        "$serial" "$label" \
        sectorsPerCluster="$spc" mftCluster="$mft" mftMirrCluster="$mirr" \
        clustersPerMftRecord="$cpr" clustersPerIndexRecord="$cpi" totalSectors="$total" \
        backupBootSector=$(( first + total ))
}

# ntfs_volume PARTNO FIRST SECTORS SERIAL LABEL TAG [CLUSTER_BYTES]
# Builds the NTFS volume in a standalone file (mkntfs, then ntfs-3g mounted
# through FUSE to write the tree) and copies it into the image with dd.
ntfs_volume() {
    local part=$1 first=$2 sectors=$3 serial=$4 label=$5 tag=$6 cluster=${7:-}
    local vol=$WORK/ntfs-$IMG_NAME-$part.vol
    ntfs_format "$vol" "$first" "$sectors" "$serial" "$label" "$cluster"

    stage_tree "$tag"
    ntfs_mount "$vol"
    local op path
    while IFS=$'\t' read -r op path <&3; do
        case $op in
            mkdir) mkdir "$NTFS_MNT/$path" ;;
            put)   cp "$STAGE/$path" "$NTFS_MNT/$path" ;;
            del)   sync; rm "$NTFS_MNT/$path" ;;
        esac
    done 3<"$OPS"
    ntfs_unmount
    ntfs_place "$vol" "$part" "$first" "$serial" "$label"
}

# zero_bytes SECTOR BYTE_COUNT: overwrites bytes from the start of a sector.
zero_bytes() {
    dd if=/dev/zero of="$IMG" bs="$2" count=1 oflag=seek_bytes seek=$(( $1 * 512 )) \
        conv=notrunc status=none
}

finish_image() {
    fx manifest "$IMG_NAME" "$IMG" "$IMG_META" "$OUTDIR/$IMG_NAME.json"
}

# ---------------------------------------------------------------------------
# Groups: each scripts/fixtures.d/GROUP.sh defines images and is packed into
# tests/fixtures/GROUP.tar.xz. Arguments name the groups to build (default all).
# ---------------------------------------------------------------------------
groups=("$@")
if [[ ${#groups[@]} -eq 0 ]]; then
    for f in "$ROOT"/scripts/fixtures.d/*.sh; do groups+=("$(basename "$f" .sh)"); done
fi
for group in "${groups[@]}"; do
    src=$ROOT/scripts/fixtures.d/$group.sh
    [[ -f $src ]] || die "no such fixture group: $group"
    rm -f "$OUTDIR"/*.img "$OUTDIR"/*.json
    # shellcheck source=/dev/null
    source "$src"
    out=$ROOT/tests/fixtures/$group.tar.xz
    mkdir -p "$(dirname "$out")"
    (
        cd "$OUTDIR"
        tar --format=gnu --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner \
            -cf - -- *.img *.json
    ) | xz -9e -T1 >"$WORK/$group.tar.xz"
    mv "$WORK/$group.tar.xz" "$out"
    echo "wrote $out ($(stat -c %s "$out") bytes)"
done
