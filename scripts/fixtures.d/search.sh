# Image group "search": disks whose partition table was zeroed after the
# volumes were made, for the partition search. Sourced by
# scripts/make-fixtures.sh. Every image is 64 MiB or less; the volumes hold the
# usual file tree.

# ---------------------------------------------------------------------------
# search-chs.img: old-style layout, each volume one track (63 sectors) after
# a cylinder start of the 255 x 63 geometry
# ---------------------------------------------------------------------------
begin_image search-chs 131072 "Partitions on cylinder boundaries of 255 heads x 63 sectors \
per track, each volume starting one track into its cylinder (sectors 63, 32193, 112518): a \
FAT16 volume small enough to keep its size in the 16-bit total-sector field, a FAT32 volume \
and an NTFS volume. Sector 0 (the partition table) was zeroed afterwards."
partition_table <<'EOF_TABLE'
label: dos
label-id: 0x5ea4c001
unit: sectors

start=63, size=32067, type=6
start=32193, size=80262, type=c
start=112518, size=18554, type=7
EOF_TABLE
note_partition 1 06 63 32130 FAT16 0
note_partition 2 0c 32193 112455 FAT32 0
note_partition 3 07 112518 131072 NTFS 0
fat_volume 1 63 32067 16 2 5EA40016 QV_CHS16 search-chs-fat16
fat_volume 2 32193 80262 32 1 5EA40032 QV_CHS32 search-chs-fat32
ntfs_volume 3 112518 18554 5EA4000000000007 "QV CHS NTFS" search-chs-ntfs
zero_bytes 0 512
note_damage "zeroed partition table (sector 0)" 0 1
finish_image

# ---------------------------------------------------------------------------
# search-trackzero.img: boot sectors at cylinder starts, not one track in
# ---------------------------------------------------------------------------
begin_image search-trackzero 131072 "Partitions whose boot sectors sit exactly at cylinder \
starts of the 255 x 63 geometry (sectors 16065 and 48195) instead of one track in: FAT16 and \
FAT32. Sector 0 was zeroed afterwards."
partition_table <<'EOF_TABLE'
label: dos
label-id: 0x5ea4c002
unit: sectors

start=16065, size=32130, type=6
start=48195, size=80325, type=c
EOF_TABLE
note_partition 1 06 16065 48195 FAT16 0
note_partition 2 0c 48195 128520 FAT32 0
fat_volume 1 16065 32130 16 2 5EA41016 QV_CYL16 search-trackzero-fat16
fat_volume 2 48195 80325 32 1 5EA41032 QV_CYL32 search-trackzero-fat32
zero_bytes 0 512
note_damage "zeroed partition table (sector 0)" 0 1
finish_image

# ---------------------------------------------------------------------------
# search-mib.img: the layout of today's partitioning tools, 1 MiB aligned
# ---------------------------------------------------------------------------
begin_image search-mib 131072 "Partitions on 1 MiB boundaries as sfdisk makes them today: \
primary FAT32 at 2048, primary FAT16 at 69632, and an extended partition with a logical NTFS \
at 88064 and a logical FAT16 at 106496 (extended boot records at 86016 and 104448 left \
intact). None starts at or one track into a cylinder of the 255 x 63 geometry. Sector 0 was \
zeroed afterwards."
partition_table <<'EOF_TABLE'
label: dos
label-id: 0x5ea4c003
unit: sectors

start=2048, size=66592, type=c
start=69632, size=16384, type=6
start=86016, size=45056, type=5
start=88064, size=16384, type=7
start=106496, size=24576, type=6
EOF_TABLE
note_partition 1 0c 2048 68640 FAT32 0
note_partition 2 06 69632 86016 FAT16 0
note_partition 3 07 88064 104448 NTFS 1
note_partition 4 06 106496 131072 FAT16 1
fat_volume 1 2048 66592 32 1 5EA42032 QV_MIB32 search-mib-fat32
fat_volume 2 69632 16384 16 2 5EA42016 QV_MIB16 search-mib-fat16
ntfs_volume 3 88064 16384 5EA4200000000007 "QV MIB NTFS" search-mib-ntfs
fat_volume 4 106496 24576 16 4 5EA42116 QV_MIBLOG search-mib-logical
zero_bytes 0 512
note_damage "zeroed partition table (sector 0)" 0 1
finish_image

# ---------------------------------------------------------------------------
# search-h16.img: cylinders of 16 heads x 63 sectors per track
# ---------------------------------------------------------------------------
begin_image search-h16 32768 "A disk partitioned with 16 heads x 63 sectors per track \
(1008-sector cylinders): two FAT16 volumes one track into cylinders 1 and 16 (sectors 1071 \
and 16191), neither on a 1 MiB boundary nor on a cylinder of the 255 x 63 geometry. Sector 0 \
was zeroed afterwards."
partition_table <<'EOF_TABLE'
label: dos
label-id: 0x5ea4c004
unit: sectors

start=1071, size=14000, type=6
start=16191, size=16000, type=6
EOF_TABLE
note_partition 1 06 1071 15071 FAT16 0
note_partition 2 06 16191 32191 FAT16 0
fat_volume 1 1071 14000 16 1 5EA43016 QV_H16A search-h16-a
fat_volume 2 16191 16000 16 1 5EA43116 QV_H16B search-h16-b
zero_bytes 0 512
note_damage "zeroed partition table (sector 0)" 0 1
finish_image
