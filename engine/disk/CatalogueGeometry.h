#pragma once

#include "platform/Registry.h"

#include <cstdint>

namespace quorvane {

// A disk's geometry as the catalogue stores it.
struct SearchGeometry {
    std::uint64_t cylinders = 0;
    std::uint64_t heads = 0;
    std::uint64_t sectorsPerTrack = 0;
};

// The stored geometry of disk n (a missing value reads as 0).
SearchGeometry ReadSearchGeometry(platform::Registry& registry, std::uint16_t disk);

// A range of sectors: [start, end).
struct SectorRange {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// The range "Search Entire Disk" puts into Start and End: 0 and the stored
// size in sectors.
SectorRange EntireDiskRange(platform::Registry& registry, std::uint16_t disk);

} // namespace quorvane
