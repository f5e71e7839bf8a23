#pragma once

#include "platform/Registry.h"
#include "probe/SysfsDrives.h"

#include <vector>

namespace quorvane::probe {

// Writes the removable drives into the registry keys the catalogue created
// beforehand: per drive the marker, media type, size, model, heads, cylinders
// and sectors per track, then its device path. Keys are opened, never created;
// a key that is missing or a value that cannot be set is skipped silently. A
// drive one of whose properties could not be read is not written at all, so
// that no half-described drive can pass for a whole one.
void WriteProbedDrives(platform::Registry& registry, const std::vector<DriveProperties>& drives);

} // namespace quorvane::probe
