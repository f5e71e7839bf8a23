#pragma once

#include "engine/core/ResultTables.h"
#include "engine/ntfs/MftRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvane {

// An index record ("INDX"): one block of a folder's index allocation.
inline constexpr std::size_t kMaxIndexRecordSize = 0x10000;

// The record's size from its first sector (the 32-bit value at 0x20 plus 24),
// in the whole sectors that are read for it. Nothing when it is above 0x10000
// or below one sector.
std::optional<std::size_t> IndexRecordSize(std::span<const std::byte> firstSector);

struct IndexRecord {
    std::uint64_t vcn = 0;        // 0x10 the block's number within the index
    std::size_t firstEntry = 0;   // 0x18 + 24: offset of the first entry
    std::vector<std::byte> bytes; // the record after the fix-up, IndexRecordSize long
};

// The record whose raw bytes start at `raw` (its first sector at least; bytes
// past the end of `raw` read as zeros), with the fix-up applied. Nothing when
// it does not start with "INDX" or its size is refused.
std::optional<IndexRecord> ReadIndexRecord(std::span<const std::byte> raw);

// One entry of an index record, with its key (a file-name content).
struct IndexEntry {
    std::size_t offset = 0;
    std::uint64_t fileReference = 0; // +0x00 the MFT number the entry names (48 bits)
    std::uint16_t length = 0;        // +0x08
    std::uint16_t entryFlags = 0;    // +0x0C 0x01 has a sub-node, 0x02 last entry
    FileNameInfo key;                // +0x10; key.parent is the folder that owns the index
};

// The entries with a whole key, from the first entry on while an entry's key
// fields (entry + 80) lie inside the record. The walk goes on past the entry
// flagged last, into the slack where removed entries linger. An entry of
// length 0 or shorter than an entry header ends the walk; an entry too short
// for its key, or whose name leaves the record, is passed over.
std::vector<IndexEntry> WalkIndexEntries(const IndexRecord& record);

// The folder that owns the record, read from the parent reference of its first
// entry's key (48 bits): nothing when those 4 bytes do not fit or their 32-bit
// value is below 5 or 0xFFFFFFFF.
std::optional<std::uint64_t> IndexRecordOwner(const IndexRecord& record);

// The MftRecordTable row for the record read at `sector`: 0 sector, 1 owner
// (low 32 bits), 2 VCN (low 32 bits), 3 4294967295 (no file system yet).
std::optional<MftRecordRow> IndexRecordRowOf(std::span<const std::byte> raw, std::uint64_t sector);
// Inserts that row at `rowCounter` and advances it; nothing for a record that
// makes no row.
void AddIndexRecordRow(MftRecordTableT& table, std::size_t& rowCounter, std::uint64_t sector,
                       std::span<const std::byte> raw);

} // namespace quorvane
