#pragma once

#include "engine/core/ResultTables.h"
#include "engine/ntfs/MftRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quorvane {

// What one FILE record says about its file or folder, with every value whole.
struct MftRecordInfo {
    MftRecordHeader header;
    std::optional<FileNameInfo> fileName;  // ReadPreferredFileName
    std::optional<std::uint64_t> dataSize; // ReadDataSize
    bool folder = false;
    bool deleted = false;
    // Folders: FolderSelfNumber; files: MetafileNumber of the name.
    std::uint64_t selfNumber = 0;
    std::uint64_t firstIndexCluster = 0; // folders only
};

// Decodes a record that has been fixed up.
MftRecordInfo DecodeMftRecord(std::span<const std::byte> record);

// The fixed MFT number of an NTFS metafile recognised by its whole name (case
// sensitive), 0 for every other name: "$MFT" and "$MFTMirror" 1, "$LogFile" 2,
// "$Volume" 3, "$AttrDef" 4, "$Bitmap" 6, "$Boot" 7, "$BadClus" 8,
// "$Secure" 9, "$UpCase" 10.
std::uint32_t MetafileNumber(std::string_view name);

// The MftEntryTable row of the FILE record read at `sector` (its first 1024
// bytes as read; missing bytes read as zeros, the fix-up is applied to a
// copy): 0 name, 1 sector, 2 parent, 3 own number, 4 size, 5 "FOLDER" or
// "File", 6 0, 7 creation time, 8 first index cluster, 9 deleted. The MFT
// numbers go into the table's 32-bit cells as their low 32 bits.
MftEntryRow MftEntryRowOf(std::span<const std::byte> record, std::uint64_t sector);

// Inserts that row at `rowCounter` and advances the counter.
void AddMftEntryRow(MftEntryTableT& table, std::size_t& rowCounter, std::uint64_t sector,
                    std::span<const std::byte> record);

} // namespace quorvane
