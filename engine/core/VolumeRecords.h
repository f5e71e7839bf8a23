#pragma once

#include "engine/core/FileSystemKind.h"
#include "engine/core/TreeModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace quorvane {

// One partition of a disk as the walk or the partition search found it.
struct PartitionInfo {
    FileSystemKind fileSystem = FileSystemKind::None; // FAT16, FAT32 or NTFS
    std::uint64_t firstSector = 0;                    // absolute sector of its boot sector
    std::uint64_t endSector = 0;                      // first sector after the partition
    TreeModel::Item treeItem = TreeModel::kNone;
    int mbrPosition = -1;      // 0-based entry in the master boot record, -1 otherwise
    std::uint8_t typeByte = 0; // partition-table type, 0 when found by a search
};

// The partitions of one disk: at most 26.
struct DiskPartitions {
    static constexpr std::size_t kCapacity = 26;
    std::uint32_t count = 0;
    std::array<PartitionInfo, kCapacity> partitions{};
    TreeModel::Item defaultItem = TreeModel::kNone;

    bool Full() const { return count >= kCapacity; }
    // Stores the next partition; false when the table is full.
    bool Add(const PartitionInfo& info) {
        if (Full()) {
            return false;
        }
        partitions[count] = info;
        ++count;
        return true;
    }
};

// Per disk number.
using DiskPartitionTable = std::map<std::uint16_t, DiskPartitions>;

struct SelectedPartition {
    FileSystemKind fileSystem = FileSystemKind::None;
    std::uint64_t firstSector = 0;
    std::uint64_t lastSector = 0; // inclusive
    std::uint32_t partitionIndex = 0;
    std::uint16_t diskNumber = 0;
};

// Geometry of the chosen volume. Sector numbers are absolute on the disk.
struct VolumeParams {
    std::uint64_t sectorsPerFat = 0;
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t rootSectors = 0;
    std::uint64_t rootStart = 0; // FAT16 absolute sector; FAT32 the root cluster
    std::uint64_t reservedSectors = 0;
    std::uint64_t cluster0Start = 0; // NTFS: the volume's first sector
    std::uint64_t firstFat = 0;
    std::uint64_t secondFat = 0;
    std::uint64_t mftSector = 0;
    std::uint64_t mftMirrorSector = 0;
    std::uint64_t sectorsPerMftRecord = 0;
    std::uint64_t sectorsPerIndexRecord = 0;
};

} // namespace quorvane
