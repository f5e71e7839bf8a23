#include "platform/DeviceMap.h"

#include "platform/FileBlockDevice.h"

#include <cctype>

namespace platform {

std::string DeviceMap::Key(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

void DeviceMap::Map(const std::string& name, const std::string& path) {
    std::lock_guard lock(mutex_);
    paths_[Key(name)] = path;
}

void DeviceMap::Unmap(const std::string& name) {
    std::lock_guard lock(mutex_);
    paths_.erase(Key(name));
}

std::string DeviceMap::PathOf(const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto it = paths_.find(Key(name));
    return it == paths_.end() ? std::string() : it->second;
}

std::unique_ptr<BlockDevice> DeviceMap::Open(const std::string& name) {
    const std::string path = PathOf(name);
    if (path.empty()) {
        return nullptr;
    }
    std::string error;
    return FileBlockDevice::Open(path, error);
}

} // namespace platform
