#pragma once

#include "engine/core/UserInterface.h"
#include "engine/disk/DeviceNameTable.h"
#include "platform/BlockDevice.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace quorvane {

inline constexpr std::uint32_t kSectorSize = 512;

// The one way the program reads a disk. Devices stay open between requests and
// small requests are served from a read-ahead block; the results are those of
// a plain read of exactly the requested sectors.
class SectorReader {
public:
    static constexpr std::size_t kDefaultReadAhead = 512 * 1024;

    SectorReader(platform::DeviceOpener& opener, UserQuestions& questions,
                 const DiskSelection& selection, std::size_t readAhead = kDefaultReadAhead);

    // Reads `count` sectors from (high << 32 | low) into `buffer`, which must
    // hold count * 512 bytes. Non-zero only when the whole request was read.
    // A sector that cannot be read is left as zero bytes, never as whatever the
    // buffer held before.
    int ReadSectors(const std::string& device, std::uint32_t firstLow, std::uint32_t firstHigh,
                    std::uint32_t count, std::byte* buffer);

    // The same with a 64-bit sector and a checked buffer: a buffer smaller than
    // the request reads nothing and fails.
    int ReadSectors(const std::string& device, std::uint64_t first, std::uint32_t count,
                    std::span<std::byte> buffer);

    // Reads `count` sectors with the outcome of consecutive requests of
    // `request` sectors each (the last one may be shorter), but with a single
    // device read straight into `buffer` when the whole range can be read:
    // for scans that read large windows without a copy through the
    // read-ahead block. Non-zero when every request was read whole.
    int ReadSectorsInRequests(const std::string& device, std::uint64_t first, std::uint32_t count,
                              std::span<std::byte> buffer, std::uint32_t request);

    BadSectorChoice Choice() const;
    // Sectors left as zeros because they could not be read, over the run.
    std::uint64_t UnreadableSectors() const;
    // Size of a device in sectors, 0 when it cannot be opened.
    std::uint64_t DeviceSectors(const std::string& device);
    // Closes every open device (the next request opens it again).
    void CloseAll();
    // Forgets the read-ahead blocks, for when the medium may have changed (a
    // walk of a disk starts afresh: a floppy may have been swapped).
    void DropCache();

private:
    struct OpenDevice {
        std::unique_ptr<platform::BlockDevice> device;
        std::vector<std::byte> cache;
        std::uint64_t cacheOffset = 0;
        std::size_t cacheLength = 0;
        std::uint64_t lastEnd = 0; // byte after the previous request
    };

    OpenDevice* Acquire(const std::string& device);
    bool ReadRange(OpenDevice& open, std::uint64_t offset, std::span<std::byte> out,
                   std::size_t& delivered, bool direct);
    void HandleFailure(OpenDevice& open, std::uint64_t first, std::uint32_t count,
                       std::byte* buffer, std::size_t delivered);

    platform::DeviceOpener& opener_;
    UserQuestions& questions_;
    const DiskSelection& selection_;
    std::size_t readAhead_;

    mutable std::mutex mutex_;
    std::map<std::string, OpenDevice> open_;
    BadSectorChoice choice_ = BadSectorChoice::Retry;
    std::uint64_t unreadable_ = 0;
};

} // namespace quorvane
