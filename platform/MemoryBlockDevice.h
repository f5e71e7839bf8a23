#pragma once

#include "platform/BlockDevice.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace platform {

// A disk held in memory: for tests, fuzz targets and crafted disks.
class MemoryBlockDevice final : public BlockDevice {
public:
    explicit MemoryBlockDevice(std::vector<std::byte> bytes) : bytes_(std::move(bytes)) {}
    // Shares the bytes of another buffer without copying; it must outlive the device.
    MemoryBlockDevice(const std::byte* data, std::size_t size) : view_(data), viewSize_(size) {}

    std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
        const std::byte* data = view_ ? view_ : bytes_.data();
        const std::uint64_t size = Size();
        if (offset >= size) {
            return 0;
        }
        const std::uint64_t n = std::min<std::uint64_t>(out.size(), size - offset);
        if (n > 0) {
            std::memcpy(out.data(), data + offset, n);
        }
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return view_ ? viewSize_ : bytes_.size(); }

private:
    std::vector<std::byte> bytes_;
    const std::byte* view_ = nullptr;
    std::size_t viewSize_ = 0;
};

} // namespace platform

namespace platform {

// Opens in-memory disks by name; every Open gives a fresh device over the same
// bytes, which must outlive the opener's devices.
class MemoryDeviceOpener final : public DeviceOpener {
public:
    void Map(const std::string& name, const std::vector<std::byte>& bytes) {
        disks_[name] = &bytes;
    }
    std::unique_ptr<BlockDevice> Open(const std::string& name) override {
        const auto it = disks_.find(name);
        if (it == disks_.end()) {
            return nullptr;
        }
        return std::make_unique<MemoryBlockDevice>(it->second->data(), it->second->size());
    }

private:
    std::map<std::string, const std::vector<std::byte>*> disks_;
};

} // namespace platform
