#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/TreeModel.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/SectorReader.h"

#include <cstdint>
#include <string>

namespace quorvane {

// The file system of a partition entry of type `type` whose boot sector is
// `boot`; None when the partition is not listed. `inExtended` is true for an
// entry of an extended boot record.
FileSystemKind DecidePartitionFileSystem(ByteView boot, std::uint8_t type, bool inExtended);

// The file system a boot sector names ("FAT32" at 82, "FAT16" at 54, "NTFS" at
// 3, in this order); None for any other sector.
FileSystemKind DecideBootSectorFileSystem(ByteView boot);

// "Partition - " + number + " ( " + name + " )"
std::string PartitionItemText(std::uint32_t number, FileSystemKind fileSystem);

// Adds an item at the end of the parent's children with image 1.
TreeModel::Item AddTreeItem(TreeModel& tree, const std::string& text, TreeModel::Item parent);

// Reads the master boot record at `tableSector` and the chain of extended boot
// records, and lists every partition in `disk` and under `root`. The walk ends
// on a chain that loops and when the table is full.
//
// A master boot record with a protective entry (type 0xEE) belongs to a GUID
// partition table, which is followed instead (also beside other entries, a
// hybrid MBR); only when that table is unreadable are the master boot
// record's own entries walked. A disk whose sector 0 has no boot signature is
// looked at for a GUID partition table as well. Both only when the table
// starts at sector 0. What the walk has to tell the user goes to the disk's
// notes.
void WalkPartitions(SectorReader& reader, const std::string& device, DiskPartitions& disk,
                    TreeModel& tree, TreeModel::Item root, std::uint64_t tableSector = 0);

// The partition tree of a disk: the root item "Disk N" (image 2), the walk, and
// the root expanded. Returns the root.
TreeModel::Item BuildPartitionTree(SectorReader& reader, std::uint16_t diskNumber,
                                   DiskPartitionTable& table, TreeModel& tree);

} // namespace quorvane
