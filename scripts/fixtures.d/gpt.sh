# Image group "gpt": disks partitioned with a GUID partition table by sgdisk.
# Sourced by scripts/make-fixtures.sh. Every image is 60 MiB (122880 sectors;
# the backup header in sector 122879, its entry array at 122847) and holds the
# same four partitions, three of them with a volume holding the usual tree:
#
#   entry 1  2048..18431    EFI system          "EFI system partition"  FAT16
#   entry 2  18432..20479   Microsoft reserved  "Microsoft reserved partition"
#   entry 3  20480..87071   basic data          "Données ключ"          FAT32
#   entry 4  88064..120831  basic data          "Quorvane NTFS"         NTFS
#
# All GUIDs are fixed so that re-runs give the same bytes. The images differ
# only in a few sectors and are a little smaller than the packer's 64 MiB
# window, so that the archive stores their volumes once.

command -v sgdisk >/dev/null || die "missing tool: sgdisk (package gdisk)"

GPT_DISK_GUID=5A1E6D17-0000-4000-8000-00000000D15C
GPT_ENTRIES=(
    # entry  first  last   code  type GUID                             unique GUID                           fs     name
    "1 2048 18431 ef00 C12A7328-F81F-11D2-BA4B-00A0C93EC93B 5A1E6D17-0001-4000-8000-0000000000E1 FAT16 EFI system partition"
    "2 18432 20479 0c01 E3C9E316-0B5C-4DB8-817D-F92DF00215AE 5A1E6D17-0002-4000-8000-0000000000E2 - Microsoft reserved partition"
    "3 20480 87071 0700 EBD0A0A2-B9E5-4433-87C0-68B6B72699C7 5A1E6D17-0003-4000-8000-0000000000E3 FAT32 Données ключ"
    "4 88064 120831 0700 EBD0A0A2-B9E5-4433-87C0-68B6B72699C7 5A1E6D17-0004-4000-8000-0000000000E4 NTFS Quorvane NTFS"
)

# note_gpt_entry ENTRY TYPE_GUID UNIQUE_GUID FIRST LAST FS LISTED NAME: one
# used entry of the table; LISTED is the partition number the walk gives it
# (0: not listed), FS its volume ("-" for none).
note_gpt_entry() {
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$IMG_META/gpt.tsv"
}

# note_meta KEY VALUE: a top-level text of the manifest.
note_meta() {
    printf '%s\t%s\n' "$1" "$2" >>"$IMG_META/meta.tsv"
}

# gpt_disk NAME DESCRIPTION COPY: the table and the volumes of the group.
# COPY is the table the walk is to use (primary, backup, unreadable); with
# unreadable nothing is listed.
gpt_disk() {
    begin_image "$1" 122880 "$2"
    note_meta scheme gpt
    note_meta gptCopy "$3"
    local args=(-o -U "$GPT_DISK_GUID") row entry first last code type unique fs name listed=0
    for row in "${GPT_ENTRIES[@]}"; do
        read -r entry first last code type unique fs name <<<"$row"
        args+=(-n "$entry:$first:$last" -t "$entry:$code" -c "$entry:$name" -u "$entry:$unique")
        if [[ $fs != - && $3 != unreadable ]]; then
            listed=$(( listed + 1 ))
            note_gpt_entry "$entry" "$type" "$unique" "$first" "$last" "$fs" "$listed" "$name"
        else
            note_gpt_entry "$entry" "$type" "$unique" "$first" "$last" "$fs" 0 "$name"
        fi
    done
    quiet sgdisk "${args[@]}" "$IMG"
    # The same tree and serials on every image: the volumes are the same.
    fat_volume 1 2048 16384 16 1 5A1E6E16 QV_ESP gpt-esp
    fat_volume 2 20480 66592 32 1 5A1E6E32 QV_GPT32 gpt-fat32
    ntfs_volume 3 88064 32768 5A1E6E0000000007 "QV GPT NTFS" gpt-ntfs
    quiet sgdisk -v "$IMG"
}

# ---------------------------------------------------------------------------
gpt_disk gpt-plain "GUID partition table made by sgdisk: an EFI system partition holding \
FAT16, a Microsoft reserved partition (no volume), a basic-data partition named with \
non-ASCII letters holding FAT32 and a basic-data partition holding NTFS. No damage." primary
finish_image

# ---------------------------------------------------------------------------
gpt_disk gpt-backup "The disk of gpt-plain with its primary GPT header (sector 1) zeroed \
afterwards: the backup header in the last sector and its entry array are intact." backup
zero_bytes 1 512
note_damage "zeroed primary GPT header (sector 1)" 1 1
finish_image

# ---------------------------------------------------------------------------
gpt_disk gpt-nogpt "The disk of gpt-plain with both GPT headers zeroed afterwards (sectors \
1 and 122879); the protective MBR and both entry arrays are intact. No table lists the \
partitions; their volumes start on 1 MiB boundaries." unreadable
zero_bytes 1 512
zero_bytes 122879 512
note_damage "zeroed primary GPT header (sector 1)" 1 1
note_damage "zeroed backup GPT header (sector 122879)" 122879 1
finish_image

# ---------------------------------------------------------------------------
gpt_disk gpt-hybrid "The disk of gpt-plain with a hybrid MBR made by sgdisk -h 3:4: the \
protective entry (type 0xEE) first, then MBR entries of type 0x07 for GPT entries 3 and 4. \
The GUID partition table is the one to follow (it also lists the EFI system partition)." \
    primary
quiet sgdisk -h 3:4 "$IMG"
[[ $(le "$IMG" $(( 446 + 4 )) 1) == 238 ]] || die "gpt-hybrid: no protective entry first"
[[ $(le "$IMG" $(( 446 + 16 + 4 )) 1) == 7 ]] || die "gpt-hybrid: no MBR entry for entry 3"
note_meta hybridMbrEntries "20480+66592 88064+32768"
finish_image

# ---------------------------------------------------------------------------
gpt_disk gpt-badarray "The disk of gpt-plain whose primary entry array was changed \
afterwards without updating its CRC: the first letter of entry 4's name (byte 1464) reads X \
instead of Q. The primary header is intact; the backup header and array are intact, so the \
backup's name \"Quorvane NTFS\" is the one to list." backup
printf 'X' | dd of="$IMG" bs=1 seek=$(( 2 * 512 + 3 * 128 + 56 )) conv=notrunc status=none
note_damage "entry 4's name in the primary entry array changed (CRC not updated)" 2 32
finish_image
