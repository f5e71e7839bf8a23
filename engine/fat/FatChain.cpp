#include "engine/fat/FatChain.h"

#include "engine/core/ByteView.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>
#include <vector>

namespace quorvane {

namespace {

constexpr bool IsForbiddenCharacter(unsigned c) {
    return c == '"' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '<' || c == '>' ||
           c == '|';
}

// Remembers the clusters of one chain. FAT12 and FAT16 numbers fit a small
// bitmap; FAT32 numbers (28 bits) go into a hash set.
class VisitedClusters {
public:
    explicit VisitedClusters(bool small) : small_(small) {
        if (small_) {
            bits_.resize(65536);
        }
    }
    // False when the cluster was already visited.
    bool Insert(std::uint32_t c) {
        if (small_ && c < bits_.size()) {
            if (bits_[c]) {
                return false;
            }
            bits_[c] = true;
            return true;
        }
        return set_.insert(c).second;
    }

private:
    bool small_;
    std::vector<bool> bits_;
    std::unordered_set<std::uint32_t> set_;
};

// One FAT read, reused while consecutive entries lie in the same sectors.
class FatSectors {
public:
    FatSectors(SectorReader& reader, const std::string& device, FatCache* cache)
        : reader_(reader), device_(device), cache_(cache) {}

    // The `count` sectors at `first`, or nothing when the read failed.
    std::optional<ByteView> Read(std::uint64_t first, std::uint32_t count) {
        if (valid_ && first == first_ && count == count_) {
            return ByteView(std::span<const std::byte>(buffer_.data(), count * kSectorSize));
        }
        buffer_.fill(std::byte{0});
        bool ok = true;
        if (cache_ != nullptr) {
            for (std::uint32_t i = 0; i < count; ++i) {
                ok = cache_->Sector(
                         reader_, device_, first + i,
                         std::span<std::byte>(buffer_).subspan(i * kSectorSize, kSectorSize)) &&
                     ok;
            }
        } else {
            ok = reader_.ReadSectors(device_, first, count,
                                     std::span<std::byte>(buffer_.data(), buffer_.size())) != 0;
        }
        valid_ = ok;
        first_ = first;
        count_ = count;
        if (!ok) {
            return std::nullopt;
        }
        return ByteView(std::span<const std::byte>(buffer_.data(), count * kSectorSize));
    }
    // The bytes of the last read, whatever its outcome (FAT12 uses them as read).
    ByteView Last(std::uint32_t count) const {
        return ByteView(std::span<const std::byte>(buffer_.data(), count * kSectorSize));
    }

private:
    SectorReader& reader_;
    const std::string& device_;
    FatCache* cache_;
    std::array<std::byte, 2 * kSectorSize> buffer_{};
    bool valid_ = false;
    std::uint64_t first_ = 0;
    std::uint32_t count_ = 0;
};

} // namespace

bool FatCache::Sector(SectorReader& reader, const std::string& device, std::uint64_t sector,
                      std::span<std::byte> out) {
    std::fill(out.begin(), out.end(), std::byte{0});
    if (out.size() < kSectorSize) {
        return false;
    }
    if (device != device_) {
        Clear();
        device_ = device;
    }
    const std::uint64_t index = sector / kChunkSectors;
    auto it = chunks_.find(index);
    if (it == chunks_.end()) {
        if (chunks_.size() >= kMaxChunks) {
            chunks_.clear();
        }
        Chunk chunk;
        chunk.bytes.assign(kChunkSectors * kSectorSize, std::byte{0});
        chunk.ok.assign(kChunkSectors, false);
        const std::uint64_t first = index * kChunkSectors;
        const std::uint64_t disk = reader.DeviceSectors(device);
        const std::uint64_t count =
            first < disk ? std::min<std::uint64_t>(kChunkSectors, disk - first) : 0;
        if (count > 0) {
            if (reader.ReadSectors(device, first, static_cast<std::uint32_t>(count),
                                   std::span<std::byte>(chunk.bytes)) != 0) {
                std::fill(chunk.ok.begin(), chunk.ok.begin() + static_cast<std::ptrdiff_t>(count),
                          true);
            } else {
                // A damaged area: each sector on its own, so that one bad sector
                // does not fail its neighbours.
                for (std::uint64_t i = 0; i < count; ++i) {
                    chunk.ok[i] =
                        reader.ReadSectors(device, first + i, 1,
                                           std::span<std::byte>(chunk.bytes)
                                               .subspan(i * kSectorSize, kSectorSize)) != 0;
                }
            }
        }
        it = chunks_.emplace(index, std::move(chunk)).first;
    }
    const std::size_t at = static_cast<std::size_t>(sector % kChunkSectors);
    std::copy_n(it->second.bytes.begin() + static_cast<std::ptrdiff_t>(at * kSectorSize),
                kSectorSize, out.begin());
    return it->second.ok[at];
}

void FatCache::Clear() {
    chunks_.clear();
    device_.clear();
}

bool IsValidEntryName(std::string_view name) {
    for (const char ch : name) {
        const unsigned c = static_cast<unsigned char>(ch);
        if ((c >= 1 && c <= 31) || c >= 128 || IsForbiddenCharacter(c)) {
            return false;
        }
    }
    return true;
}

bool IsValidLongName(std::u16string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned c = name[i];
        if ((c >= 1 && c <= 31) || IsForbiddenCharacter(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) {
                return false;
            }
            ++i; // the pair is one character
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void AppendCluster(ClusterList& list, std::uint32_t cluster) {
    list.Append(cluster);
}

void WalkFatChain(SectorReader& reader, const std::string& device, const CurrentVolume& volume,
                  std::uint32_t first, ClusterList& list, FatCache* cache) {
    const bool fat12 = volume.FileSystem == FileSystemKind::Fat12;
    const bool fat16 = volume.FileSystem == FileSystemKind::Fat16;
    const bool fat32 = volume.FileSystem == FileSystemKind::Fat32;
    if (!fat12 && !fat16 && !fat32) {
        return;
    }
    // No chain is longer than the disk has clusters: a garbage FAT cannot make
    // a list of millions of clusters that are not there.
    const std::uint64_t spc = volume.SPC == 0 ? 1 : volume.SPC;
    const std::uint64_t limit = reader.DeviceSectors(device) / spc + 2;

    VisitedClusters visited(!fat32);
    FatSectors fat(reader, device, cache);
    std::uint32_t c = first;
    std::uint64_t appended = 0;
    while (true) {
        if (!visited.Insert(c)) {
            return; // a cycle: the chain ends at the cluster it came back to
        }
        list.Append(c);
        if (++appended >= limit) {
            return;
        }
        std::uint32_t entry = 0;
        if (fat12) {
            // Two sectors, so that an entry straddling a sector boundary is whole.
            const std::uint64_t offset = 3ull * c / 2;
            const std::size_t p = offset % kSectorSize;
            // The outcome of the read is not checked: whatever the buffer holds
            // (zeros for an unreadable sector) is decoded.
            fat.Read(volume.FirstFAT + offset / kSectorSize, 2);
            const ByteView b = fat.Last(2);
            if (c % 2 == 1) {
                entry = static_cast<std::uint32_t>((b.U8(p + 1) << 4) | (b.U8(p) >> 4));
            } else {
                entry = static_cast<std::uint32_t>(((b.U8(p + 1) & 0x0F) << 8) | b.U8(p));
            }
            if (entry == 0 || entry >= 0xFF8) {
                return;
            }
        } else {
            const std::uint32_t perSector = fat16 ? 256 : 128;
            if (volume.FirstFAT == 0 || c / perSector > volume.SPF) {
                return;
            }
            const std::optional<ByteView> b = fat.Read(volume.FirstFAT + c / perSector, 1);
            if (!b) {
                return;
            }
            if (fat16) {
                entry = b->U16((c % perSector) * 2);
                if (entry < 2 || entry >= 0xFFF8) {
                    return;
                }
            } else {
                entry = b->U32((c % perSector) * 4) & 0x0FFFFFFF;
                if (entry < 2 || entry >= 0x0FFFFFF8) {
                    return;
                }
            }
        }
        c = entry;
    }
}

} // namespace quorvane
