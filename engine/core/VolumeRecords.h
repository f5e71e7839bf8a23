#pragma once

#include "engine/core/FileSystemKind.h"
#include "engine/core/Guid.h"
#include "engine/core/TreeModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quorvane {

// The kind of partition table: the master boot record with its chain of
// extended boot records, or a GUID partition table.
enum class PartitionScheme : std::uint8_t { None, Mbr, Gpt };

// Which copy of a GUID partition table a walk used.
enum class GptCopy : std::uint8_t { None, Primary, Backup, Unreadable };

// One partition of a disk as the walk or the partition search found it.
struct PartitionInfo {
    FileSystemKind fileSystem = FileSystemKind::None; // FAT16, FAT32 or NTFS
    std::uint64_t firstSector = 0;                    // absolute sector of its boot sector
    std::uint64_t endSector = 0;                      // first sector after the partition
    TreeModel::Item treeItem = TreeModel::kNone;
    int mbrPosition = -1;      // 0-based entry in the master boot record, -1 otherwise
    std::uint8_t typeByte = 0; // partition-table type, 0 when found by a search
    // The table it was read from; None when the partition search found it.
    PartitionScheme scheme = PartitionScheme::None;
    // GUID partition table entries only.
    std::uint32_t gptEntry = 0; // 1-based position in the entry array
    std::string name;           // UTF-8
    Guid typeGuid;
    Guid uniqueGuid;
    std::uint64_t attributes = 0;
};

// Something the walk tells the user about the disk's tables: a table copy
// that was used in place of a damaged one, an entry that is not trusted, an
// entry that is not listed.
struct WalkNote {
    bool warning = false; // false: for information only
    std::string text;
};

// The partitions of one disk: at most 26.
struct DiskPartitions {
    static constexpr std::size_t kCapacity = 26;
    std::uint32_t count = 0;
    std::array<PartitionInfo, kCapacity> partitions{};
    TreeModel::Item defaultItem = TreeModel::kNone;
    // What the last walk found: the scheme of the disk's tables (a protective
    // entry makes it GPT even when the GUID partition table is unreadable) and
    // what it has to say about them.
    PartitionScheme scheme = PartitionScheme::None;
    GptCopy gptCopy = GptCopy::None;
    std::vector<WalkNote> notes;

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
