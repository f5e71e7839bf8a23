#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace quorvane {

// The length of a compound file, from its header and allocation tables:
// one past the highest sector that its allocation table marks as used (or
// that the table's own sectors, the extension sectors and the directory
// occupy), plus the header. 0 when the header is not a consistent compound
// file header or the tables cannot be read; `limit` bounds the length (the
// bytes from the file's start to the end of the disk).
//
// `readSector(index, out)` reads the file's sector `index` (counted after
// the header, of the file's sector size, 512 or 4096 bytes).
using CompoundSectorReader = std::function<bool(std::uint32_t index, std::span<std::byte> out)>;
std::uint64_t CompoundFileSize(std::span<const std::byte> header, std::uint64_t limit,
                               const CompoundSectorReader& readSector);

// Finds the end of a ZIP archive in its bytes fed in order from its first
// byte: the end of the first end-of-central-directory record (with its
// comment) whose central directory ends right where that record (or its
// zip64 form) begins, so a record of an archive stored inside does not end
// the outer one.
class ZipEndFinder {
public:
    void Feed(std::span<const std::byte> bytes);
    // The archive's length in bytes, once known.
    std::optional<std::uint64_t> End() const { return end_; }

private:
    std::vector<std::byte> kept_;  // the last bytes fed, for records across two feeds
    std::uint64_t keptOffset_ = 0; // archive offset of kept_[0]
    std::uint64_t scanned_ = 0;    // offsets below this were looked at
    std::optional<std::uint64_t> end_;
};

} // namespace quorvane
