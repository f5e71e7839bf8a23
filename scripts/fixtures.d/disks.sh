# Image group "disks": sourced by scripts/make-fixtures.sh, which defines
# begin_image, partition_table, fat_volume, ntfs_volume, zero_bytes, finish_image.

# ---------------------------------------------------------------------------
# demo.img: four volumes, two of them in logical partitions (64 MiB)
# ---------------------------------------------------------------------------
begin_image demo 131072 "Demo disk: MBR with a primary FAT32 volume (512-byte clusters), a \
primary FAT16 volume, and an extended partition holding a logical NTFS volume and a logical \
FAT16 volume. Every volume holds the same tree (long names, a nested folder, a non-ASCII \
name) with per-volume contents and one deleted file. No damage."
partition_table <<'EOF'
label: dos
label-id: 0x51a7e001
unit: sectors

start=2048, size=66592, type=c
start=69632, size=16384, type=6
start=86016, size=45056, type=5
start=88064, size=16384, type=7
start=106496, size=24576, type=6
EOF
note_partition 1 0c 2048 68640 FAT32 0
note_partition 2 06 69632 86016 FAT16 0
note_partition 3 07 88064 104448 NTFS 1
note_partition 4 06 106496 131072 FAT16 1
# 66592 sectors is the smallest FAT32 with one sector per cluster that
# mkfs.fat makes without complaining (65534 clusters, just above 65525).
fat_volume 1 2048 66592 32 1 5A1E0032 QV_FAT32 demo-fat32
fat_volume 2 69632 16384 16 2 5A1E0016 QV_FAT16 demo-fat16
ntfs_volume 3 88064 16384 5A1E00000000D7F5 "Quorvane NTFS" demo-ntfs
fat_volume 4 106496 24576 16 4 5A1E1016 QV_LOGICAL demo-logical
finish_image

# ---------------------------------------------------------------------------
# fat32-bootzero.img: FAT32 whose boot sector is gone; backup at +6 intact
# ---------------------------------------------------------------------------
begin_image fat32-bootzero 69632 "MBR with one FAT32 partition (type 0x0b) whose first \
boot sector (partition sector 0) was zeroed after the files were written. The backup boot \
sector at partition sector 6 and the FSInfo sector are intact."
partition_table <<'EOF'
label: dos
label-id: 0x51a7e002
unit: sectors

start=2048, size=66592, type=b
EOF
note_partition 1 0b 2048 68640 FAT32 0
fat_volume 1 2048 66592 32 1 B0070032 QV_BOOT0 fat32-bootzero
zero_bytes 2048 512
note_damage "zeroed first boot sector (backup boot sector at sector 2054 intact)" 2048 1
finish_image

# ---------------------------------------------------------------------------
# ntfs-bootzero.img: NTFS whose boot sector is gone; copy at the end intact
# ---------------------------------------------------------------------------
begin_image ntfs-bootzero 36864 "MBR with one NTFS partition (sectors 2048-34815, 1 MiB of \
free space after it) whose boot sector was zeroed after the files were written. The \
boot-sector copy in the last sector of the partition (sector 34815 = partition start + \
total sectors) is intact."
partition_table <<'EOF'
label: dos
label-id: 0x51a7e003
unit: sectors

start=2048, size=32768, type=7
EOF
note_partition 1 07 2048 34816 NTFS 0
ntfs_volume 1 2048 32768 B007000000000B07 "QV NTFS boot" ntfs-bootzero
total=$(le "$IMG" $(( 2048 * 512 + 0x28 )) 8)
(( 2048 + total == 34815 )) || die "ntfs-bootzero: backup boot sector not where expected"
zero_bytes 2048 512
note_damage "zeroed NTFS boot sector (copy at sector 34815 intact)" 2048 1
finish_image

# ---------------------------------------------------------------------------
# ntfs-mftzero.img: NTFS whose $MFT record 0 is gone; $MFTMirr intact
# ---------------------------------------------------------------------------
begin_image ntfs-mftzero 36864 "MBR with one NTFS partition (1 KiB clusters, so the \
clusters-per-record field is +1) whose \$MFT record 0 (1024 bytes) was zeroed after the \
files were written. \$MFTMirr and the boot sector are intact."
partition_table <<'EOF'
label: dos
label-id: 0x51a7e004
unit: sectors

start=2048, size=32768, type=7
EOF
note_partition 1 07 2048 34816 NTFS 0
ntfs_volume 1 2048 32768 3F70000000000004 "QV NTFS mft" ntfs-mftzero 1024
spc=$(le "$IMG" $(( 2048 * 512 + 0x0d )) 1)
mft=$(le "$IMG" $(( 2048 * 512 + 0x30 )) 8)
mft_sector=$(( 2048 + mft * spc ))
[[ $(dd if="$IMG" bs=512 skip="$mft_sector" count=1 status=none | head -c 4) == FILE ]] \
    || die "ntfs-mftzero: no MFT record at sector $mft_sector"
zero_bytes "$mft_sector" 1024
note_damage "zeroed \$MFT record 0 (1024 bytes; \$MFTMirr intact)" "$mft_sector" 2
finish_image

# ---------------------------------------------------------------------------
# fat16-fat2bad.img: FAT16 whose second FAT has a bad media byte
# ---------------------------------------------------------------------------
begin_image fat16-fat2bad 36864 "MBR with one FAT16 partition (type 0x0e) holding nested \
folders Projects/Alpha/Designs, each with a file. After writing, the first 4 bytes of the \
second FAT (entries 0 and 1, media byte 0xF8) were overwritten with zeros; the first FAT is \
intact."
partition_table <<'EOF'
label: dos
label-id: 0x51a7e005
unit: sectors

start=2048, size=32768, type=e
EOF
note_partition 1 0e 2048 34816 FAT16 0
fat_volume 1 2048 32768 16 4 FA7216B0 QV_FAT2BAD fat16-fat2bad
reserved=$(le "$IMG" $(( 2048 * 512 + 0x0e )) 2)
fatsz=$(le "$IMG" $(( 2048 * 512 + 0x16 )) 2)
fat2=$(( 2048 + reserved + fatsz ))
[[ $(le "$IMG" $(( fat2 * 512 )) 1) == 248 ]] || die "fat16-fat2bad: second FAT not found"
zero_bytes "$fat2" 4
note_damage "overwrote first 4 bytes of the second FAT (0xF8 0xFF 0xFF 0xFF -> zeros)" "$fat2" 1
finish_image

# ---------------------------------------------------------------------------
# fat12-floppy.img: 1.44 MB FAT12 volume, no partition table
# ---------------------------------------------------------------------------
begin_image fat12-floppy 2880 "1.44 MB floppy image: a FAT12 volume starting at sector 0, \
no partition table. Same tree as the other volumes, one deleted file. No damage."
fat_volume 0 0 2880 12 1 F1020012 QV_FLOPPY fat12-floppy
finish_image
