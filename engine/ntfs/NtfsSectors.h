#pragma once

#include "engine/core/TableRows.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvane {

// What the Professional sector scan takes one sector for.
enum class NtfsSectorKind {
    Other,
    MftRecord,   // "FILE" with an allocated size of 1024 (0x1C)
    IndexRecord, // "INDX"
    BootSector,  // "NTFS" at 3 and 0x55 0xAA at 510
};

// A sector ending in 0x55 0xAA is only ever a boot sector: never a FILE or
// INDX record, whatever it starts with. A FILE record of any other allocated
// size (4096 on volumes with 4 KiB records) is not taken.
NtfsSectorKind ClassifyNtfsSector(std::span<const std::byte> sector);

// The BootTable row of an NTFS boot sector found at `sectorNumber`. The
// columns reuse the table's FAT-named members: 0 the sector, 1 sectors per
// cluster, 2 sectors per index record, 3 sectors per MFT record (2), 4 total
// sectors, 5 the $MFT's cluster, 6 the $MFTMirr's cluster; all 64 bits wide.
BootRow NtfsBootRow(std::span<const std::byte> sector, std::uint64_t sectorNumber);

// Sectors per index record from the boot sector: the clusters-per-record value
// at 0x44 times the cluster size, or, when that value is a negative byte -n
// (0xF4 for 4 KiB), 2^n bytes.
std::uint64_t NtfsSectorsPerIndexRecord(std::span<const std::byte> sector);

} // namespace quorvane
