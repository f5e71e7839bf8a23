#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// A readable device: a whole disk, a floppy drive or a disk image. There is no
// write operation on purpose: nothing in the program may change a source disk.
class BlockDevice {
public:
    virtual ~BlockDevice() = default;

    // Reads up to out.size() bytes at a byte offset. Returns the number of bytes
    // read (short at the end of the device), or -1 on an I/O error.
    virtual std::int64_t ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;

    // Size in bytes.
    virtual std::uint64_t Size() const = 0;
};

// Opens devices by the names the engine uses ("\\.\PhysicalDrive0", ...).
class DeviceOpener {
public:
    virtual ~DeviceOpener() = default;
    // Empty when the name does not resolve or the device cannot be opened.
    virtual std::unique_ptr<BlockDevice> Open(const std::string& name) = 0;
};

} // namespace platform
