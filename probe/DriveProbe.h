#pragma once

#include "platform/Registry.h"
#include "probe/SysfsDrives.h"

#include <vector>

namespace quorvane::probe {

// What became of the values a probe meant to write.
struct ProbeWriteCounts {
    std::size_t written = 0;
    std::size_t keyMissing = 0; // its key could not be opened
    std::size_t failed = 0;     // its key was there, the value could not be set
};

// Writes the removable drives into the registry keys the catalogue created
// beforehand: per drive the marker, media type, size, model, heads, cylinders
// and sectors per track, then its device path. Keys are opened, never created;
// a value whose key is missing is skipped, and so is one that cannot be set
// (both are counted). A drive one of whose properties could not be read is not
// written at all, so that no half-described drive can pass for a whole one.
ProbeWriteCounts WriteProbedDrives(platform::Registry& registry,
                                   const std::vector<DriveProperties>& drives);

} // namespace quorvane::probe
