# Image group "ntfs": sourced by scripts/make-fixtures.sh (see its helpers).
# Volumes for the NTFS engine, written by ntfs-3g through FUSE. Each image is
# for one kind of case:
#   ntfs-full      every kind of record the engine decodes, on one volume
#   ntfs-mftgone   the first 16 MFT records zeroed (no $MFT, no root record)
#   ntfs-two       two NTFS volumes on one disk (1 KiB and 2 KiB clusters)
#   ntfs-fat       an NTFS volume and a FAT16 volume on one disk
# Every manifest entry carries the MFT record number that fls gives it
# (`mftRecord`), read before any damage was applied.

cat >"$WORK/ntfs-extras.py" <<'PY'
import hashlib, json, os, re, sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fx import Stream, text  # noqa: E402


class Tree:
    def __init__(self, stage, ops_path, entries_path):
        self.stage = stage
        self.ops_path = ops_path
        self.entries_path = entries_path
        with open(ops_path, encoding="utf-8") as f:
            self.base_ops = [tuple(line.rstrip("\n").split("\t")) for line in f if line.strip()]
        with open(entries_path, encoding="utf-8") as f:
            self.entries = json.load(f)
        self.index = {e["path"]: i for i, e in enumerate(self.entries)}
        self.ops = []
        self.later = []  # deletions, done at the very end

    def entry(self, path):
        return self.entries[self.index[path]]

    def stage_file(self, name, data):
        full = os.path.join(self.stage, *name.split("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)

    def add(self, entry):
        self.index[entry["path"]] = len(self.entries)
        self.entries.append(entry)

    def mkdir(self, path, note=None):
        os.makedirs(os.path.join(self.stage, *path.split("/")), exist_ok=True)
        self.ops.append(("mkdir", path))
        e = {"path": path, "kind": "folder", "size": 0, "deleted": False}
        if note:
            e["note"] = note
        self.add(e)

    def put(self, path, data, note=None):
        self.stage_file(path, data)
        self.ops.append(("put", path))
        e = {"path": path, "kind": "file", "size": len(data),
             "sha256": hashlib.sha256(data).hexdigest(), "deleted": False}
        if note:
            e["note"] = note
        self.add(e)
        return e

    def append(self, path, data):
        src = "appended/" + path
        self.stage_file(src, data)
        self.ops.append(("append", path, src))
        e = self.entry(path)
        with open(os.path.join(self.stage, *path.split("/")), "rb") as f:
            whole = f.read() + data
        e["size"] = len(whole)
        e["sha256"] = hashlib.sha256(whole).hexdigest()

    def link(self, target, path):
        self.ops.append(("link", target, path))
        t = self.entry(target)
        t["hardLinks"] = t.get("hardLinks", 0) + 1
        self.add({"path": path, "kind": "file", "size": t["size"], "sha256": t["sha256"],
                  "deleted": False, "hardLinkOf": target})

    def stream(self, path, name, data):
        src = "streams/%s/%s" % (path, name)
        self.stage_file(src, data)
        self.ops.append(("stream", path, name, src))
        self.entry(path).setdefault("streams", []).append(
            {"name": name, "size": len(data), "sha256": hashlib.sha256(data).hexdigest()})

    def sparse(self, path, size, offset, data, note):
        # truncate -s on the mount makes a sparse file; one block is written
        # far beyond 4 GiB so that the data lies behind a 64-bit offset.
        src = "poke/" + path
        self.stage_file(src, data)
        self.ops.append(("sparse", path, str(size)))
        self.ops.append(("poke", path, str(offset), src))
        h = hashlib.sha256()
        zeros = bytes(1 << 20)
        left = offset
        while left:
            n = min(left, len(zeros))
            h.update(zeros[:n])
            left -= n
        h.update(data)
        left = size - offset - len(data)
        while left:
            n = min(left, len(zeros))
            h.update(zeros[:n])
            left -= n
        self.add({"path": path, "kind": "file", "size": size, "sha256": h.hexdigest(),
                  "deleted": False, "sparse": True, "note": note})

    def scatter(self, path, blocks, stride, note):
        # Block i written at offset i * stride: data runs with holes between.
        src = "scatter/" + path
        block = len(blocks[0])
        self.stage_file(src, b"".join(blocks))
        self.ops.append(("scatter", path, src, str(block), str(stride), str(len(blocks))))
        whole = bytearray((len(blocks) - 1) * stride + block)
        for i, b in enumerate(blocks):
            whole[i * stride:i * stride + block] = b
        self.add({"path": path, "kind": "file", "size": len(whole),
                  "sha256": hashlib.sha256(bytes(whole)).hexdigest(), "deleted": False,
                  "sparse": True, "note": note})

    def delete(self, path, now=False):
        (self.ops if now else self.later).append(("del", path))
        self.entry(path)["deleted"] = True

    def deltree(self, path):
        self.later.append(("deltree", path))
        for e in self.entries:
            if e["path"] == path or e["path"].startswith(path + "/"):
                e["deleted"] = True

    def save(self):
        ops = [op for op in self.base_ops if op[0] != "del"] + self.ops
        ops += self.later + [op for op in self.base_ops if op[0] == "del"]
        with open(self.ops_path, "w", encoding="utf-8") as f:
            for op in ops:
                f.write("\t".join(op) + "\n")
        with open(self.entries_path, "w", encoding="utf-8") as f:
            json.dump(self.entries, f, ensure_ascii=False)


def many_files(t, tag, folder, count, note=None):
    t.mkdir(folder, note)
    for i in range(1, count + 1):
        t.put("%s/entry number %03d with a long name.txt" % (folder, i),
              text("%s:%s%d" % (tag, folder, i), 1 + i % 4, "Entry %d of %s" % (i, folder)))


def full(t, tag, cluster):
    rnd = Stream(tag + ":extras")
    t.mkdir("Projects/Alpha/Designs/Final")
    t.put("Projects/Alpha/Designs/Final/layout v2.txt",
          text(tag + ":layout", 12, "Final layout (%s)" % tag))
    deep = "Deep"
    t.mkdir(deep, "eight levels of folders")
    for level in range(1, 9):
        deep += "/Level %d" % level
        t.mkdir(deep)
    t.put(deep + "/leaf.txt", text(tag + ":leaf", 3, "Leaf (%s)" % tag))

    many_files(t, tag, "Many Files", 320,
               "320 files: the folder's index is non-resident (INDX records)")

    t.mkdir("Sizes")
    t.put("Sizes/small resident.txt", text(tag + ":small", 3, "Small (%s)" % tag),
          "content resident in the MFT record")
    t.put("Sizes/large report.txt", text(tag + ":large", 2400, "Large report (%s)" % tag),
          "non-resident, about 150 KiB")

    t.mkdir("Données été")
    t.put("Données été/日本語のファイル.txt", text(tag + ":cjk", 3, "CJK (%s)" % tag))
    t.put("Données été/naïve café.txt", text(tag + ":cafe", 3, "Café (%s)" % tag))
    t.put("Données été/\U0001D11E clef and \U0001F600.txt",
          text(tag + ":astral", 2, "Outside the BMP (%s)" % tag),
          "a name with characters outside the Basic Multilingual Plane (surrogate pairs)")

    t.mkdir("Sparse")
    t.sparse("Sparse/five GiB sparse.bin", 5 << 30, (9 << 29) + 4096 * 3,
             text(tag + ":sparse", 40, "Data far into a sparse file (%s)" % tag)[:4096],
             "5 GiB, sparse; one 4 KiB block of data at 4.5 GiB + 12 KiB. The Sleuth Kit "
             "4.11 (istat, icat) refuses its run list: a sparse run longer than the volume")

    t.mkdir("Links")
    t.put("Links/original.txt", text(tag + ":original", 4, "Original (%s)" % tag),
          "has a second name in Docs (a hard link)")
    t.link("Links/original.txt", "Docs/hard link to original.txt")
    t.put("Links/shared by many names.txt", text(tag + ":shared", 2, "Shared (%s)" % tag),
          "30 further names (hard links): the record needs an attribute list, which "
          "ntfs-3g makes non-resident; most file names sit in extension records")
    t.mkdir("Links/Names")
    for i in range(1, 31):
        t.link("Links/shared by many names.txt",
               "Links/Names/name %02d of the shared file.txt" % i)

    t.mkdir("Streams")
    t.put("Streams/with streams.txt", text(tag + ":streams", 3, "Streams (%s)" % tag),
          "two named data streams beside the unnamed one: note (resident) and "
          "payload (non-resident)")
    t.stream("Streams/with streams.txt", "note", b"a short note in a named stream\n")
    t.stream("Streams/with streams.txt", "payload",
             text(tag + ":payload", 120, "Payload stream (%s)" % tag))

    t.mkdir("Fragmented")
    blocks = [("%s block %04d " % (tag, i)).encode().ljust(511, b".") + b"\n"
              for i in range(200)]
    t.scatter("Fragmented/alternating holes.bin", blocks, 2 * cluster,
              "200 one-cluster data runs with a one-cluster hole after each: 400 runs, "
              "more than a record holds, so the data attribute continues in an "
              "extension record named by a non-resident attribute list")

    t.mkdir("Trash Folder", "removed with rm -r at the end: a deleted folder")
    t.put("Trash Folder/to be removed.txt", text(tag + ":trash1", 6, "Removed (%s)" % tag))
    t.mkdir("Trash Folder/Inner")
    t.put("Trash Folder/Inner/deep.txt", text(tag + ":trash2", 2, "Deep (%s)" % tag))
    t.put("Docs/deleted notes.txt", text(tag + ":delnotes", 20, "Deleted notes (%s)" % tag),
          "deleted at the end")

    # Written, a file after it written, the first grown: the growth takes the
    # hole that a deleted file left and then goes on behind the second file.
    t.put("Fragmented/grown.bin", rnd.take(2 * cluster),
          "2 clusters, then 6 appended after middle.bin was deleted: two runs")
    t.put("Fragmented/middle.bin", rnd.take(3 * cluster))
    t.put("Fragmented/after.bin", rnd.take(cluster))
    t.delete("Fragmented/middle.bin", now=True)
    middle = t.entry("Fragmented/middle.bin")
    middle["clustersReused"] = True
    del middle["sha256"]
    t.append("Fragmented/grown.bin", rnd.take(6 * cluster))

    t.delete("Docs/deleted notes.txt")
    t.deltree("Trash Folder")


def indexed(t, tag, cluster):
    # Two folders whose indexes go non-resident, so that each volume has index
    # blocks of at least two folders (what the folder-pair search needs).
    many_files(t, tag, "Many Files", 40, "40 files: non-resident index")
    many_files(t, tag, "Projects/More Files", 40, "40 files: non-resident index")
    t.mkdir("Trash Folder", "removed with rm -r at the end: a deleted folder")
    t.put("Trash Folder/to be removed.txt", text(tag + ":trash1", 6, "Removed (%s)" % tag))
    t.deltree("Trash Folder")


def cmd_extend(tag, stage, ops_path, entries_path, recipe, cluster):
    t = Tree(stage, ops_path, entries_path)
    {"full": full, "indexed": indexed}[recipe](t, tag, int(cluster))
    t.save()


def cmd_annotate(volume_json, fls_output):
    """Adds the MFT record number fls lists for each entry's path."""
    numbers = {}
    with open(fls_output, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"^\S+ (\* )?(\d+)(-\d+-\d+)?:\t(.*)$", line.rstrip("\n"))
            if m and ":" not in m.group(4).rsplit("/", 1)[-1]:
                numbers.setdefault(m.group(4), int(m.group(2)))
    with open(volume_json, encoding="utf-8") as f:
        vol = json.load(f)
    missing = []
    for e in vol["entries"]:
        if e["path"] in numbers:
            e["mftRecord"] = numbers[e["path"]]
        elif not e["deleted"] and "hardLinkOf" not in e and "hardLinks" not in e:
            missing.append(e["path"])
    with open(volume_json, "w", encoding="utf-8") as f:
        json.dump(vol, f, ensure_ascii=False)
    if missing:
        sys.exit("fls does not list: " + ", ".join(missing[:5]))


if __name__ == "__main__":
    {"extend": cmd_extend, "annotate": cmd_annotate}[sys.argv[1]](*sys.argv[2:])
PY

# ntfs_volume_plus PARTNO FIRST SECTORS SERIAL LABEL TAG RECIPE [CLUSTER_BYTES]
# As ntfs_volume, with the extra content of a recipe of ntfs-extras.py.
ntfs_volume_plus() {
    local part=$1 first=$2 sectors=$3 serial=$4 label=$5 tag=$6 recipe=$7 cluster=${8:-4096}
    local vol=$WORK/ntfs-$IMG_NAME-$part.vol
    ntfs_format "$vol" "$first" "$sectors" "$serial" "$label" "$cluster"

    stage_tree "$tag"
    python3 "$WORK/ntfs-extras.py" extend "$tag" "$STAGE" "$OPS" "$ENTRIES" "$recipe" "$cluster"
    ntfs_mount "$vol" streams_interface=windows
    local m=$NTFS_MNT op a b c d e i
    while IFS=$'\t' read -r op a b c d e <&3; do
        case $op in
            mkdir)   mkdir "$m/$a" ;;
            put)     cp "$STAGE/$a" "$m/$a" ;;
            del)     sync; rm "$m/$a" ;;
            deltree) sync; rm -r "$m/$a" ;;
            append)  cat "$STAGE/$b" >>"$m/$a" ;;
            link)    ln "$m/$a" "$m/$b" ;;
            stream)  cp "$STAGE/$c" "$m/$a:$b" ;;
            sparse)  truncate -s "$b" "$m/$a" ;;
            poke)    dd if="$STAGE/$c" of="$m/$a" bs=1M oflag=seek_bytes seek="$b" \
                         conv=notrunc status=none ;;
            scatter) : >"$m/$a"
                     for (( i = 0; i < e; i++ )); do
                         dd if="$STAGE/$b" of="$m/$a" bs="$c" skip="$i" count=1 \
                             oflag=seek_bytes seek=$(( i * d )) conv=notrunc status=none
                     done ;;
            *)       die "unknown operation $op" ;;
        esac
    done 3<"$OPS"
    ntfs_unmount
    ntfs_place "$vol" "$part" "$first" "$serial" "$label"
}

# ntfs_annotate FIRST: the MFT numbers of the last volume's entries, from fls.
ntfs_annotate() {
    fls -r -p -o "$1" "$IMG" >"$WORK/fls.txt" || die "$IMG_NAME: fls failed"
    python3 "$WORK/ntfs-extras.py" annotate "$IMG_META/volume-$VOL_SEQ.json" "$WORK/fls.txt" \
        || die "$IMG_NAME: the listing of fls and the manifest differ"
}

command -v fls >/dev/null || die "missing tool: fls (package sleuthkit)"

# ---------------------------------------------------------------------------
# ntfs-full.img: every kind of record on one volume (4 KiB clusters)
# ---------------------------------------------------------------------------
begin_image ntfs-full 67584 "MBR with one NTFS partition (sectors 2048-67583, 4 KiB \
clusters) written by ntfs-3g: the common tree plus nested folders (Projects/Alpha/Designs/\
Final, Deep with eight levels), a folder of 320 files whose index lies in INDX records (Many \
Files), a resident and a non-resident file (Sizes), non-ASCII names with one outside the \
BMP (Données été), a 5 GiB sparse file with data beyond 4 GiB (Sparse), a hard link \
(Links/original.txt and Docs/hard link to original.txt), a file with 31 names whose record \
needs an attribute list (Links/shared by many names.txt), a file with two named streams \
(Streams), a fragmented file and one of 400 runs continued in an extension record \
(Fragmented), deleted files (Docs/Old Budget Draft.txt, Docs/deleted notes.txt, \
Fragmented/middle.bin) and a deleted folder with a sub-folder (Trash Folder). All file \
names are in the POSIX namespace, as ntfs-3g writes them. No damage."
partition_table <<'EOF'
label: dos
label-id: 0x5e7f0001
unit: sectors

start=2048, size=65536, type=7
EOF
note_partition 1 07 2048 67584 NTFS 0
ntfs_volume_plus 1 2048 65536 5E7F00000000F011 "QV NTFS full" ntfs-full full
ntfs_annotate 2048
finish_image

# ---------------------------------------------------------------------------
# ntfs-mftgone.img: the first 16 MFT records zeroed
# ---------------------------------------------------------------------------
begin_image ntfs-mftgone 34816 "MBR with one NTFS partition (sectors 2048-34815, 4 KiB \
clusters) holding the common tree and two folders of 40 files each with non-resident \
indexes (Many Files, Projects/More Files) and a deleted folder; afterwards the first 16 \
MFT records (16 KiB: \$MFT, \$MFTMirr, ..., the root folder's record 5, up to record 15) \
were zeroed. The boot sector and \$MFTMirr are intact; every user folder and file keeps \
its own record, and the root's index blocks survive."
partition_table <<'EOF'
label: dos
label-id: 0x5e7f0002
unit: sectors

start=2048, size=32768, type=7
EOF
note_partition 1 07 2048 34816 NTFS 0
ntfs_volume_plus 1 2048 32768 5E7F00000000F022 "QV NTFS gone" ntfs-mftgone indexed
ntfs_annotate 2048
spc=$(le "$IMG" $(( 2048 * 512 + 0x0d )) 1)
mft=$(le "$IMG" $(( 2048 * 512 + 0x30 )) 8)
mft_sector=$(( 2048 + mft * spc ))
[[ $(dd if="$IMG" bs=512 skip="$mft_sector" count=1 status=none | head -c 4) == FILE ]] \
    || die "ntfs-mftgone: no MFT record at sector $mft_sector"
zero_bytes "$mft_sector" $(( 16 * 1024 ))
note_damage "zeroed MFT records 0-15 (16 KiB)" "$mft_sector" 32
finish_image

# ---------------------------------------------------------------------------
# ntfs-two.img: two NTFS volumes on one disk
# ---------------------------------------------------------------------------
begin_image ntfs-two 67584 "MBR with two NTFS partitions (sectors 2048-34815 with 1 KiB \
clusters, 34816-67583 with 2 KiB clusters), each with the common tree, two folders of 40 \
files with non-resident indexes and a deleted folder. No damage. For the identification of \
file systems from boot sectors and from folder pairs."
partition_table <<'EOF'
label: dos
label-id: 0x5e7f0003
unit: sectors

start=2048, size=32768, type=7
start=34816, size=32768, type=7
EOF
note_partition 1 07 2048 34816 NTFS 0
note_partition 2 07 34816 67584 NTFS 0
ntfs_volume_plus 1 2048 32768 5E7F00000000F031 "QV NTFS one" ntfs-two-a indexed 1024
ntfs_annotate 2048
ntfs_volume_plus 2 34816 32768 5E7F00000000F032 "QV NTFS two" ntfs-two-b indexed 2048
ntfs_annotate 34816
finish_image

# ---------------------------------------------------------------------------
# ntfs-fat.img: an NTFS volume and a FAT16 volume on one disk
# ---------------------------------------------------------------------------
begin_image ntfs-fat 67584 "MBR with an NTFS partition (sectors 2048-34815, 4 KiB \
clusters; the common tree, two folders of 40 files with non-resident indexes and a deleted \
folder) and a FAT16 partition (sectors 34816-67583, 4 sectors per cluster; the common \
tree). No damage. For the Professional identification on a disk with both kinds."
partition_table <<'EOF'
label: dos
label-id: 0x5e7f0004
unit: sectors

start=2048, size=32768, type=7
start=34816, size=32768, type=6
EOF
note_partition 1 07 2048 34816 NTFS 0
note_partition 2 06 34816 67584 FAT16 0
ntfs_volume_plus 1 2048 32768 5E7F00000000F041 "QV NTFS mixed" ntfs-fat-ntfs indexed
ntfs_annotate 2048
fat_volume 2 34816 32768 16 4 5E7F0016 QV_MIXED ntfs-fat-fat16
finish_image
