#include "engine/raw/RawFileSize.h"

#include "engine/core/ByteView.h"
#include "engine/raw/RawSignatures.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace quorvane {

namespace {

// Compound file header fields.
constexpr std::size_t kMajorVersion = 0x1A;
constexpr std::size_t kByteOrder = 0x1C;
constexpr std::size_t kSectorShift = 0x1E;
constexpr std::size_t kMiniSectorShift = 0x20;
constexpr std::size_t kFatSectors = 0x2C;
constexpr std::size_t kFirstDirectorySector = 0x30;
constexpr std::size_t kFirstMiniFatSector = 0x3C;
constexpr std::size_t kMiniFatSectors = 0x40;
constexpr std::size_t kFirstDifatSector = 0x44;
constexpr std::size_t kDifatSectors = 0x48;
constexpr std::size_t kHeaderDifat = 0x4C; // 109 FAT sector numbers
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kLargestSectorNumber = 0xFFFFFFF9; // above: special values

// End-of-central-directory record fields (from its signature).
constexpr std::size_t kEocdLength = 22;
constexpr std::size_t kEocdDirectorySize = 12;
constexpr std::size_t kEocdDirectoryOffset = 16;
constexpr std::size_t kEocdCommentLength = 20;
// zip64 locator (20 bytes, right before the record) and zip64 record (56).
constexpr std::size_t kLocatorLength = 20;
constexpr std::size_t kLocatorRecordOffset = 8;
constexpr std::size_t kZip64RecordLength = 56;
constexpr std::size_t kZip64DirectorySize = 40;
constexpr std::size_t kZip64DirectoryOffset = 48;
constexpr std::size_t kKeep = kZip64RecordLength + kLocatorLength + kEocdLength;

} // namespace

std::uint64_t CompoundFileSize(std::span<const std::byte> headerBytes, std::uint64_t limit,
                               const CompoundSectorReader& readSector) {
    const ByteView header(headerBytes);
    if (!header.Matches(0, kCompoundSignature) || header.U16(kByteOrder) != 0xFFFE ||
        header.U16(kMiniSectorShift) != 6) {
        return 0;
    }
    const std::uint16_t major = header.U16(kMajorVersion);
    const std::uint16_t shift = header.U16(kSectorShift);
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12))) {
        return 0;
    }
    const std::uint64_t sectorSize = std::uint64_t{1} << shift;
    const std::size_t perSector = static_cast<std::size_t>(sectorSize / 4);
    if (limit <= sectorSize) {
        return 0;
    }
    // Sectors that can lie on the disk after the header: every number read
    // below must be smaller, which also bounds every count and loop.
    const std::uint64_t onDisk = (limit - sectorSize) / sectorSize;
    const std::uint32_t fatCount = header.U32(kFatSectors);
    const std::uint32_t difatCount = header.U32(kDifatSectors);
    if (fatCount == 0 || fatCount > onDisk || difatCount > onDisk) {
        return 0;
    }
    std::uint64_t highest = 0;
    const auto uses = [&](std::uint32_t sector) {
        if (sector >= onDisk) {
            return false;
        }
        highest = std::max<std::uint64_t>(highest, sector);
        return true;
    };

    std::vector<std::uint32_t> fat;
    fat.reserve(fatCount);
    for (std::size_t i = 0; i < kHeaderDifatEntries && fat.size() < fatCount; ++i) {
        fat.push_back(header.U32(kHeaderDifat + 4 * i));
    }
    std::vector<std::byte> sector(sectorSize);
    std::unordered_set<std::uint32_t> visited;
    std::uint32_t difat = header.U32(kFirstDifatSector);
    for (std::uint32_t k = 0; k < difatCount && fat.size() < fatCount; ++k) {
        if (!uses(difat) || !visited.insert(difat).second || !readSector(difat, sector)) {
            return 0;
        }
        const ByteView d(sector);
        for (std::size_t i = 0; i + 1 < perSector && fat.size() < fatCount; ++i) {
            fat.push_back(d.U32(4 * i));
        }
        difat = d.U32(4 * (perSector - 1));
    }
    if (fat.size() < fatCount) {
        return 0;
    }
    for (const std::uint32_t f : fat) {
        if (!uses(f)) {
            return 0;
        }
    }
    if (!uses(header.U32(kFirstDirectorySector))) {
        return 0;
    }
    if (header.U32(kMiniFatSectors) > 0) {
        const std::uint32_t mini = header.U32(kFirstMiniFatSector);
        if (mini <= kLargestSectorNumber && !uses(mini)) {
            return 0;
        }
    }
    // The highest used sector is in the last FAT sector that marks any.
    for (std::size_t k = fat.size(); k-- > 0;) {
        if (!readSector(fat[k], sector)) {
            return 0;
        }
        const ByteView f(sector);
        std::size_t j = perSector;
        while (j > 0 && f.U32(4 * (j - 1)) == kFreeSector) {
            --j;
        }
        if (j > 0) {
            const std::uint64_t used = static_cast<std::uint64_t>(k) * perSector + (j - 1);
            if (used >= onDisk) {
                return 0;
            }
            highest = std::max(highest, used);
            break;
        }
    }
    return (highest + 2) * sectorSize;
}

void ZipEndFinder::Feed(std::span<const std::byte> bytes) {
    if (end_ || bytes.empty()) {
        return;
    }
    kept_.insert(kept_.end(), bytes.begin(), bytes.end());
    const ByteView v(kept_);
    const std::uint64_t keptEnd = keptOffset_ + kept_.size();
    for (std::size_t i = scanned_ > keptOffset_ ? static_cast<std::size_t>(scanned_ - keptOffset_)
                                                : 0;
         i + kEocdLength <= kept_.size(); ++i) {
        if (!v.Matches(i, "PK\x05\x06"sv)) {
            continue;
        }
        const std::uint64_t at = keptOffset_ + i; // the record's archive offset
        std::uint64_t dirOffset = v.U32(i + kEocdDirectoryOffset);
        std::uint64_t dirSize = v.U32(i + kEocdDirectorySize);
        std::uint64_t dirEnd = at;
        // A zip64 locator right before the record names the zip64 record,
        // which sits right before the locator; the central directory then
        // ends at that record (writers add one for streamed entries even
        // when the plain fields hold the values).
        if (i >= kLocatorLength + kZip64RecordLength) {
            const std::size_t loc = i - kLocatorLength;
            const std::size_t rec = loc - kZip64RecordLength;
            if (v.Matches(loc, "PK\x06\x07"sv) && v.Matches(rec, "PK\x06\x06"sv) &&
                v.U64(loc + kLocatorRecordOffset) == keptOffset_ + rec) {
                dirEnd = keptOffset_ + rec;
                if (dirOffset == 0xFFFFFFFF || dirSize == 0xFFFFFFFF) {
                    dirOffset = v.U64(rec + kZip64DirectoryOffset);
                    dirSize = v.U64(rec + kZip64DirectorySize);
                }
            }
        }
        if (dirOffset <= dirEnd && dirSize == dirEnd - dirOffset) {
            end_ = at + kEocdLength + v.U16(i + kEocdCommentLength);
            return;
        }
    }
    scanned_ = keptEnd >= kEocdLength ? keptEnd - kEocdLength + 1 : 0;
    if (kept_.size() > kKeep) {
        const std::size_t drop = kept_.size() - kKeep;
        kept_.erase(kept_.begin(), kept_.begin() + static_cast<std::ptrdiff_t>(drop));
        keptOffset_ += drop;
    }
}

} // namespace quorvane
