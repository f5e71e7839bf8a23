#pragma once

#include "engine/core/ByteView.h"
#include "engine/core/Guid.h"
#include "engine/core/VolumeRecords.h"
#include "engine/disk/SectorReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// What is verified besides the structure. The fuzz target turns the CRCs off:
// with them on, random input never gets past the header.
struct GptChecks {
    bool crc = true;
};

// A GUID partition table header (the primary at sector 1, the backup normally
// in the disk's last sector).
struct GptHeader {
    std::uint32_t revision = 0;
    std::uint32_t headerSize = 0;
    std::uint32_t headerCrc = 0;
    std::uint64_t myLba = 0;
    std::uint64_t alternateLba = 0;
    std::uint64_t firstUsable = 0;
    std::uint64_t lastUsable = 0; // inclusive
    Guid diskGuid;
    std::uint64_t entryArrayLba = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entryArrayCrc = 0;

    std::uint64_t ArrayBytes() const { return std::uint64_t{entryCount} * entrySize; }
    std::uint64_t ArraySectors() const { return (ArrayBytes() + kSectorSize - 1) / kSectorSize; }
};

// One used entry of the array.
struct GptEntry {
    std::uint32_t index = 0; // 1-based position in the array
    Guid typeGuid;
    Guid uniqueGuid;
    std::uint64_t firstLba = 0;
    std::uint64_t lastLba = 0; // inclusive, as stored (may be before firstLba)
    std::uint64_t attributes = 0;
    std::string name; // UTF-8
};

// The largest entry array read (8192 entries of 128 bytes; real tables hold
// 128): an array size is a product of two fields from the disk.
inline constexpr std::uint64_t kMaxGptArrayBytes = std::uint64_t{1} << 20;

// The header in `sector`, which was read from sector `lba`; empty with
// `problem` set when it is not a usable header.
std::optional<GptHeader> ParseGptHeader(ByteView sector, std::uint64_t lba,
                                        std::uint64_t diskSectors, std::string& problem,
                                        GptChecks checks = {});

// The used entries (non-zero type) of the array `array` described by
// `header`, in array order; empty with `problem` set when the array's CRC does
// not match or the array is shorter than the header says.
std::optional<std::vector<GptEntry>> ParseGptEntries(ByteView array, const GptHeader& header,
                                                     std::string& problem, GptChecks checks = {});

// The outcome of reading a disk's GUID partition table: the primary copy, or
// the backup when the primary header or its array is damaged.
struct GptRead {
    GptCopy copy = GptCopy::Unreadable; // Primary, Backup or Unreadable
    GptHeader header;
    std::vector<GptEntry> entries;
    std::string primaryProblem; // why the primary copy was not used
    std::string backupProblem;  // why the backup copy was not used (Unreadable only)
};

// Reads the header at sector 1 and its array; when either is damaged, the
// backup header at the primary's alternate sector (when the primary header is
// sound) and at the disk's last sector, with its own array.
GptRead ReadGuidPartitionTable(SectorReader& reader, const std::string& device,
                               std::uint64_t diskSectors, GptChecks checks = {});

// The partition types the listing names.
enum class GptTypeKind : std::uint8_t { EfiSystem, BasicData, MicrosoftReserved, Other };
GptTypeKind KindOfGptType(const Guid& type);
// "EFI system", "basic data", "Microsoft reserved", "other"
std::string_view GptTypeName(GptTypeKind kind);

// Lists the partitions of a GUID partition table `read` from a disk of
// `diskSectors` sectors in `disk` and under `root`, as the walk lists those of
// a master boot record: in array order, each whose boot sector holds FAT16,
// FAT32 or NTFS, numbered on from the disk's count, at most 26. Sets the
// disk's scheme and table copy and adds what the user should know to its
// notes (a backup copy used, entries that leave the usable area, run past the
// disk's end or overlap, entries not listed). A partition's end is never past
// the disk's end. False, with nothing listed, when the table is unreadable.
bool ListGuidPartitions(SectorReader& reader, const std::string& device, std::uint64_t diskSectors,
                        const GptRead& read, DiskPartitions& disk, TreeModel& tree,
                        TreeModel::Item root);

} // namespace quorvane
