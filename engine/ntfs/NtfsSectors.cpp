#include "engine/ntfs/NtfsSectors.h"

#include "engine/core/ByteView.h"
#include "engine/ntfs/MftRecord.h"

namespace quorvane {

namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kSignature = 510; // 0x55 0xAA
constexpr std::uint16_t kBootSignature = 0xAA55;

// FILE record header.
constexpr std::size_t kAllocatedSize = 0x1C;

// NTFS boot sector.
constexpr std::size_t kOemId = 3; // "NTFS"
constexpr std::size_t kSectorsPerCluster = 0x0D;
constexpr std::size_t kTotalSectors = 0x28;
constexpr std::size_t kMftCluster = 0x30;
constexpr std::size_t kMftMirrorCluster = 0x38;
constexpr std::size_t kClustersPerIndexRecord = 0x44;
constexpr std::uint64_t kSectorsPerMftRecord = kMftRecordSize / kSectorSize;

} // namespace

NtfsSectorKind ClassifyNtfsSector(std::span<const std::byte> sector) {
    const ByteView b(sector);
    if (b.U16(kSignature) == kBootSignature) {
        return b.Matches(kOemId, "NTFS") ? NtfsSectorKind::BootSector : NtfsSectorKind::Other;
    }
    if (b.Matches(0, "FILE")) {
        return b.U16(kAllocatedSize) == kMftRecordSize ? NtfsSectorKind::MftRecord
                                                       : NtfsSectorKind::Other;
    }
    return b.Matches(0, "INDX") ? NtfsSectorKind::IndexRecord : NtfsSectorKind::Other;
}

std::uint64_t NtfsSectorsPerIndexRecord(std::span<const std::byte> sector) {
    const ByteView b(sector);
    const std::uint32_t value = b.U32(kClustersPerIndexRecord);
    if (value >= 0x80 && value <= 0xFF) {
        const unsigned shift = 0x100 - value;
        return shift < 64 ? (std::uint64_t{1} << shift) / kSectorSize : 0;
    }
    return static_cast<std::uint64_t>(b.U8(kSectorsPerCluster)) * value;
}

BootRow NtfsBootRow(std::span<const std::byte> sector, std::uint64_t sectorNumber) {
    const ByteView b(sector);
    BootRow row;
    row.sector = sectorNumber;                    // 0
    row.spf = b.U8(kSectorsPerCluster);           // 1 sectors per cluster
    row.spc = NtfsSectorsPerIndexRecord(sector);  // 2 sectors per index record
    row.rootSectors = kSectorsPerMftRecord;       // 3
    row.rootStart = b.U64(kTotalSectors);         // 4 total sectors
    row.reserveSectors = b.U64(kMftCluster);      // 5 $MFT cluster
    row.cluster0Start = b.U64(kMftMirrorCluster); // 6 $MFTMirr cluster
    return row;
}

} // namespace quorvane
