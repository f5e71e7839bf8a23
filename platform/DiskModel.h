#pragma once

#include "platform/OutputFolder.h"

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// A small attribute file of the system's device tree, without the blanks and
// line ends around it; empty when it cannot be read. Anything but a regular
// file in its place is taken as unreadable (a FIFO would block the read).
std::optional<std::string> ReadSystemAttribute(const std::filesystem::path& path);

// The model a disk's device folder (<sysfs>/block/sdb/device) reports: its
// vendor and model ("ATA WDC WD10EZEX"), or the name a memory card gives
// itself; empty when it reports neither.
std::optional<std::string> ReadDeviceModel(const std::filesystem::path& deviceFolder);

// The model the system reports for the block device at `devicePath` (for a
// partition, its disk's); empty for anything that is not a block device or
// reports no model.
std::optional<std::string> ReportedDiskModel(const std::string& devicePath,
                                             const SystemPaths& paths = {});

} // namespace platform
