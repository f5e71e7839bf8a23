#pragma once

#include "engine/core/UserInterface.h"
#include "engine/disk/SectorReader.h"
#include "platform/BlockDevice.h"

#include <cstring>
#include <memory>

namespace quorvane::fuzz {

// The fuzzer's bytes as a disk whose sectors repeat: any sector number that
// a table or a boot sector names lands somewhere in the input, so chains and
// back-references can be built from a small input.
class WrappingDevice final : public platform::BlockDevice {
public:
    WrappingDevice(const std::uint8_t* data, std::size_t size, std::uint64_t virtualSize)
        : data_(data), size_(size), virtualSize_(virtualSize) {}
    std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
        if (size_ == 0 || offset >= virtualSize_) {
            return 0;
        }
        const std::uint64_t n = std::min<std::uint64_t>(out.size(), virtualSize_ - offset);
        for (std::uint64_t i = 0; i < n; ++i) {
            out[i] = static_cast<std::byte>(data_[(offset + i) % size_]);
        }
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return virtualSize_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t virtualSize_;
};

class WrappingOpener final : public platform::DeviceOpener {
public:
    WrappingOpener(const std::uint8_t* data, std::size_t size, std::uint64_t virtualSize)
        : data_(data), size_(size), virtualSize_(virtualSize) {}
    std::unique_ptr<platform::BlockDevice> Open(const std::string&) override {
        return std::make_unique<WrappingDevice>(data_, size_, virtualSize_);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::uint64_t virtualSize_;
};

} // namespace quorvane::fuzz
