#include "engine/disk/SectorReader.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

SectorReader::SectorReader(platform::DeviceOpener& opener, UserQuestions& questions,
                           const DiskSelection& selection, std::size_t readAhead)
    : opener_(opener), questions_(questions), selection_(selection),
      readAhead_(std::max<std::size_t>(readAhead, kSectorSize)) {}

SectorReader::OpenDevice* SectorReader::Acquire(const std::string& device) {
    const std::string name =
        selection_.FloppyChosen() ? std::string(DeviceNameTable::kFloppy) : device;
    auto it = open_.find(name);
    if (it != open_.end()) {
        return &it->second;
    }
    OpenDevice open;
    open.device = opener_.Open(name);
    if (!open.device) {
        return nullptr;
    }
    return &open_.emplace(name, std::move(open)).first->second;
}

// Reads exactly out.size() bytes at `offset`. `delivered` says how many bytes
// from the start of `out` hold disk data when the read falls short.
bool SectorReader::ReadRange(OpenDevice& open, std::uint64_t offset, std::span<std::byte> out,
                             std::size_t& delivered, bool direct) {
    delivered = 0;
    const std::size_t want = out.size();
    // Reading ahead pays only when the requests move forward in small steps (a
    // scan); scattered requests (a partition search, chain lookups) would each
    // pay for a whole block.
    const bool forward = offset >= open.lastEnd && offset - open.lastEnd <= readAhead_ / 2;
    open.lastEnd = offset + want;
    // Served from the read-ahead block when it holds the whole range.
    if (open.cacheLength > 0 && offset >= open.cacheOffset &&
        offset - open.cacheOffset <= open.cacheLength &&
        want <= open.cacheLength - (offset - open.cacheOffset)) {
        std::memcpy(out.data(), open.cache.data() + (offset - open.cacheOffset), want);
        delivered = want;
        return true;
    }
    if (!direct && forward && want * 2 <= readAhead_) {
        // Refill from a 4 KiB boundary at or below the request.
        const std::uint64_t start = offset & ~std::uint64_t{4095};
        open.cache.resize(readAhead_);
        const std::int64_t n = open.device->ReadAt(start, open.cache);
        open.cacheOffset = start;
        open.cacheLength = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (offset - start <= open.cacheLength && want <= open.cacheLength - (offset - start)) {
            std::memcpy(out.data(), open.cache.data() + (offset - start), want);
            delivered = want;
            return true;
        }
        // A damaged area or the end of the device lies in the block: read just
        // the request so that its outcome is that of a plain read.
        open.cacheLength = 0;
    }
    const std::int64_t n = open.device->ReadAt(offset, out);
    if (n == static_cast<std::int64_t>(want)) {
        delivered = want;
        return true;
    }
    delivered = n > 0 ? static_cast<std::size_t>(n) : 0;
    return false;
}

void SectorReader::HandleFailure(OpenDevice& open, std::uint64_t first, std::uint32_t count,
                                 std::byte* buffer, std::size_t delivered) {
    if (choice_ != BadSectorChoice::RetryAll && choice_ != BadSectorChoice::SkipAll) {
        choice_ = questions_.AskBadSector();
    }
    const std::size_t total = static_cast<std::size_t>(count) * kSectorSize;
    if (choice_ == BadSectorChoice::Retry || choice_ == BadSectorChoice::RetryAll) {
        for (std::uint32_t i = 0; i < count; ++i) {
            std::byte* sector = buffer + static_cast<std::size_t>(i) * kSectorSize;
            std::size_t got = 0;
            const std::uint64_t offset = (first + i) * kSectorSize;
            // Single sectors go straight to the device: a read-ahead block over
            // a damaged area would only fail again, slowly.
            if (!ReadRange(open, offset, std::span<std::byte>(sector, kSectorSize), got, true)) {
                std::memset(sector, 0, kSectorSize);
                ++unreadable_;
            }
        }
        return;
    }
    // Skipped: whole sectors that arrived before the failure are disk data; the
    // rest is cleared so that no earlier bytes pass for the disk's.
    const std::size_t keep = delivered / kSectorSize * kSectorSize;
    std::memset(buffer + keep, 0, total - keep);
    unreadable_ += (total - keep) / kSectorSize;
}

int SectorReader::ReadSectors(const std::string& device, std::uint32_t firstLow,
                              std::uint32_t firstHigh, std::uint32_t count, std::byte* buffer) {
    const std::uint64_t first = (static_cast<std::uint64_t>(firstHigh) << 32) | firstLow;
    std::lock_guard lock(mutex_);
    OpenDevice* open = Acquire(device);
    if (open == nullptr) {
        return 0; // a missing disk is silent
    }
    if (count == 0) {
        return 1;
    }
    // Byte offsets of sectors past 2^55 do not exist on any device.
    if (first > (UINT64_MAX / kSectorSize) - count) {
        std::memset(buffer, 0, static_cast<std::size_t>(count) * kSectorSize);
        return 0;
    }
    const std::size_t total = static_cast<std::size_t>(count) * kSectorSize;
    std::size_t delivered = 0;
    if (ReadRange(*open, first * kSectorSize, std::span<std::byte>(buffer, total), delivered,
                  false)) {
        return 1;
    }
    HandleFailure(*open, first, count, buffer, delivered);
    return 0;
}

int SectorReader::ReadSectors(const std::string& device, std::uint64_t first, std::uint32_t count,
                              std::span<std::byte> buffer) {
    if (buffer.size() / kSectorSize < count) {
        return 0;
    }
    return ReadSectors(device, static_cast<std::uint32_t>(first),
                       static_cast<std::uint32_t>(first >> 32), count, buffer.data());
}

int SectorReader::ReadSectorsInRequests(const std::string& device, std::uint64_t first,
                                        std::uint32_t count, std::span<std::byte> buffer,
                                        std::uint32_t request) {
    if (buffer.size() / kSectorSize < count || request == 0) {
        return 0;
    }
    std::size_t delivered = 0;
    {
        std::lock_guard lock(mutex_);
        OpenDevice* open = Acquire(device);
        if (open == nullptr) {
            return 0;
        }
        if (count == 0) {
            return 1;
        }
        const std::size_t total = static_cast<std::size_t>(count) * kSectorSize;
        if (first <= (UINT64_MAX / kSectorSize) - count &&
            ReadRange(*open, first * kSectorSize, buffer.first(total), delivered, true)) {
            return 1;
        }
    }
    // Something in the range failed: the requests from the one it fell in
    // on are read as requests of their own, with their own outcome.
    int whole = 1;
    const std::uint64_t from = delivered / (std::uint64_t{request} * kSectorSize) * request;
    for (std::uint64_t k = from; k < count; k += request) {
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(request, count - k));
        if (ReadSectors(device, first + k, n, buffer.subspan(k * kSectorSize)) == 0) {
            whole = 0;
        }
    }
    return whole;
}

BadSectorChoice SectorReader::Choice() const {
    std::lock_guard lock(mutex_);
    return choice_;
}

std::uint64_t SectorReader::UnreadableSectors() const {
    std::lock_guard lock(mutex_);
    return unreadable_;
}

std::uint64_t SectorReader::DeviceSectors(const std::string& device) {
    std::lock_guard lock(mutex_);
    OpenDevice* open = Acquire(device);
    return open == nullptr ? 0 : open->device->Size() / kSectorSize;
}

void SectorReader::CloseAll() {
    std::lock_guard lock(mutex_);
    open_.clear();
}

void SectorReader::DropCache() {
    std::lock_guard lock(mutex_);
    for (auto& [name, open] : open_) {
        open.cacheLength = 0;
    }
}

} // namespace quorvane
