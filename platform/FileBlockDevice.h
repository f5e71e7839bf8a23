#pragma once

#include "platform/BlockDevice.h"

#include <string>

namespace platform {

// A block device or a regular image file opened read-only (O_RDONLY, never with
// write access on any path).
class FileBlockDevice final : public BlockDevice {
public:
    static constexpr std::uint64_t kMinimumSize = 512;

    // Empty with `error` set (naming the path) when the path cannot be opened,
    // is neither a regular file nor a block device, or is smaller than one
    // 512-byte sector. Never waits: a FIFO is refused, not opened for reading.
    static std::unique_ptr<FileBlockDevice> Open(const std::string& path, std::string& error);

    ~FileBlockDevice() override;
    FileBlockDevice(const FileBlockDevice&) = delete;
    FileBlockDevice& operator=(const FileBlockDevice&) = delete;

    std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
    std::uint64_t Size() const override { return size_; }
    bool IsBlockDevice() const { return isBlockDevice_; }

private:
    FileBlockDevice(int fd, std::uint64_t size, bool isBlockDevice)
        : fd_(fd), size_(size), isBlockDevice_(isBlockDevice) {}
    int fd_;
    std::uint64_t size_;
    bool isBlockDevice_;
};

} // namespace platform
