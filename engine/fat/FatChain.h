#pragma once

#include "engine/disk/SectorReader.h"
#include "engine/fat/FatRecords.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// b0 | b1 << 8 | b2 << 16 | b3 << 24, the bytes taken as unsigned.
constexpr std::uint32_t MakeDword(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                  std::uint8_t b3) {
    return static_cast<std::uint32_t>(b0) | (static_cast<std::uint32_t>(b1) << 8) |
           (static_cast<std::uint32_t>(b2) << 16) | (static_cast<std::uint32_t>(b3) << 24);
}

// The absolute sector of the k-th sector of a cluster.
constexpr std::uint64_t ClusterToSector(const CurrentVolume& volume, std::uint32_t cluster,
                                        std::uint64_t k) {
    return volume.Cluster0Start + static_cast<std::uint64_t>(cluster) * volume.SPC + k;
}

// The filter that keeps garbage sectors from producing rows: no bytes 1-31, none
// of " \ / ? * < > |, and no byte from 128 to 255. The colon and the empty name
// pass. Used on short names (8-bit OEM text).
bool IsValidEntryName(std::string_view name);

// The same filter for a long name, on its UTF-16 units: no units 1-31, none of
// the eight characters, no unpaired surrogates, no U+FFFE or U+FFFF. Every other
// character, accented letters and other scripts included, is accepted.
bool IsValidLongName(std::u16string_view name);

void AppendCluster(ClusterList& list, std::uint32_t cluster);

// Follows the FAT at volume.FirstFAT from `first` and appends every cluster of
// the chain, `first` included, to `list` (which is not emptied first). A chain
// that comes back to a cluster it already holds ends there, and no chain grows
// beyond the number of clusters the disk can hold.
// `cache`, when given, serves the FAT sectors.
void WalkFatChain(SectorReader& reader, const std::string& device, const CurrentVolume& volume,
                  std::uint32_t first, ClusterList& list, FatCache* cache = nullptr);

// The same through a view, its cache serving the FAT sectors: the chain of a
// directory (into FatRecords::DirChain) or of a file being saved (SaveChain).
inline void WalkFatChain(const FatVolumeView& view, std::uint32_t first, ClusterList& list) {
    WalkFatChain(view.reader, view.device, view.volume, first, list, &view.cache);
}

} // namespace quorvane
