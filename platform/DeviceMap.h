#pragma once

#include "platform/BlockDevice.h"

#include <map>
#include <mutex>
#include <string>

namespace platform {

// Maps the engine's device names to real block devices or image files. Names
// are compared without regard to case ("\\.\a:" and "\\.\A:" are one drive).
class DeviceMap final : public DeviceOpener {
public:
    void Map(const std::string& name, const std::string& path);
    void Unmap(const std::string& name);
    // The path a name resolves to, or empty.
    std::string PathOf(const std::string& name) const;

    std::unique_ptr<BlockDevice> Open(const std::string& name) override;

private:
    static std::string Key(const std::string& name);
    mutable std::mutex mutex_;
    std::map<std::string, std::string> paths_;
};

} // namespace platform
