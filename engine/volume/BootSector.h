#pragma once

#include "engine/core/ByteView.h"

#include <cstdint>

namespace quorvane::boot {

// Boot-sector field offsets (FAT and NTFS share the first 0x24 bytes).
inline constexpr std::size_t kOemNtfs = 0x03;                // "NTFS"
inline constexpr std::size_t kSectorsPerCluster = 0x0D;      // byte
inline constexpr std::size_t kReservedSectors = 0x0E;        // word
inline constexpr std::size_t kRootEntries = 0x11;            // word, FAT12/16
inline constexpr std::size_t kTotalSectors16 = 0x13;         // word
inline constexpr std::size_t kSectorsPerFat16 = 0x16;        // word, FAT12/16
inline constexpr std::size_t kTotalSectors32 = 0x20;         // dword
inline constexpr std::size_t kSectorsPerFat32 = 0x24;        // dword, FAT32
inline constexpr std::size_t kNtfsTotalSectors = 0x28;       // qword, NTFS
inline constexpr std::size_t kRootCluster = 0x2C;            // dword, FAT32
inline constexpr std::size_t kMftCluster = 0x30;             // low dword, NTFS
inline constexpr std::size_t kFat16Label = 0x36;             // "FAT16"
inline constexpr std::size_t kFat16Short = 0x39;             // "16"
inline constexpr std::size_t kMftMirrorCluster = 0x38;       // low dword, NTFS
inline constexpr std::size_t kClustersPerMftRecord = 0x40;   // dword, NTFS
inline constexpr std::size_t kClustersPerIndexRecord = 0x44; // dword, NTFS
inline constexpr std::size_t kFat32Label = 0x52;             // "FAT32"
inline constexpr std::size_t kFat32Short = 0x55;             // "32"
inline constexpr std::size_t kSignature = 0x1FE;             // 0x55 0xAA

inline bool HasSignature(ByteView b) {
    return b.U8(kSignature) == 0x55 && b.U8(kSignature + 1) == 0xAA;
}

inline bool IsClusterSize(std::uint64_t sectors) {
    return sectors != 0 && sectors <= 128 && (sectors & (sectors - 1)) == 0;
}

// The FAT fields of a boot sector.
struct FatFields {
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t reservedSectors = 0;
    std::uint32_t rootEntries = 0;
    std::uint32_t sectorsPerFat16 = 0;
    std::uint32_t sectorsPerFat32 = 0;
    std::uint32_t rootCluster = 0;
    std::uint32_t totalSectors32 = 0;
};

inline FatFields ReadFatFields(ByteView b) {
    FatFields f;
    f.sectorsPerCluster = b.U8(kSectorsPerCluster);
    f.reservedSectors = b.U16(kReservedSectors);
    f.rootEntries = b.U16(kRootEntries);
    f.sectorsPerFat16 = b.U16(kSectorsPerFat16);
    f.sectorsPerFat32 = b.U32(kSectorsPerFat32);
    f.rootCluster = b.U32(kRootCluster);
    f.totalSectors32 = b.U32(kTotalSectors32);
    return f;
}

// The NTFS fields of a boot sector.
struct NtfsFields {
    std::uint32_t sectorsPerCluster = 0;
    std::uint64_t totalSectors = 0;
    std::uint32_t mftCluster = 0;
    std::uint32_t mftMirrorCluster = 0;
    std::uint32_t clustersPerMftRecord = 0;
    std::uint32_t clustersPerIndexRecord = 0;
};

inline NtfsFields ReadNtfsFields(ByteView b) {
    NtfsFields f;
    f.sectorsPerCluster = b.U8(kSectorsPerCluster);
    f.totalSectors = b.U64(kNtfsTotalSectors);
    f.mftCluster = b.U32(kMftCluster);
    f.mftMirrorCluster = b.U32(kMftMirrorCluster);
    f.clustersPerMftRecord = b.U32(kClustersPerMftRecord);
    f.clustersPerIndexRecord = b.U32(kClustersPerIndexRecord);
    return f;
}

} // namespace quorvane::boot
