#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::probe {

// What the system says about one whole disk, property by property. A property
// that could not be read is empty.
struct DriveProperties {
    std::string name; // "sdb"
    std::optional<std::string> index;
    std::optional<std::string> mediaType;
    std::optional<std::string> size; // bytes, decimal
    std::optional<std::string> model;
    std::optional<std::string> heads;
    std::optional<std::string> cylinders;
    std::optional<std::string> sectorsPerTrack;
    std::optional<std::string> device; // "/dev/sdb"
};

struct ReportedGeometry {
    std::uint32_t heads = 0;
    std::uint32_t sectorsPerTrack = 0;
};

// Asks a device for the geometry its driver reports; empty when it has none.
using GeometryReader = std::function<std::optional<ReportedGeometry>(const std::string& device)>;

// The geometry the kernel reports for a block device (read-only open).
std::optional<ReportedGeometry> ReadDeviceGeometry(const std::string& device);

// Every whole disk under <sysfs>/block in a stable order (the same order, and
// so the same indices, for as long as the set of disks stays the same).
// Partitions are never listed; loop, ram, zram and device-mapper devices only
// when they are removable. Device paths are <dev>/<name>.
std::vector<DriveProperties> ReadSysfsDrives(const std::filesystem::path& sysfs,
                                             const std::filesystem::path& dev,
                                             const GeometryReader& geometry);

} // namespace quorvane::probe
