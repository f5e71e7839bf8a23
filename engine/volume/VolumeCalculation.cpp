#include "engine/volume/VolumeCalculation.h"

#include "engine/core/ByteView.h"
#include "engine/volume/BootSector.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quorvane {

namespace {

// Directory entry fields of "." and "..".
constexpr std::size_t kDotEntry = 0;
constexpr std::size_t kDotDotEntry = 32;
constexpr std::size_t kClusterHigh = 20; // word
constexpr std::size_t kClusterLow = 26;  // word

constexpr std::uint32_t kProgressEvery = 500;
constexpr std::uint32_t kBatch = 128; // sectors per request while scanning

bool IsDirectoryStart(ByteView s) {
    return s.Matches(kDotEntry, ". ") && s.Matches(kDotDotEntry, ".. ");
}

// The reserved-area size: the first sector in the window whose first two bytes
// are F8 FF is the first FAT. (The first match rather than the last: with a FAT
// of fewer sectors than the window, the last match would be the second FAT.)
std::uint64_t FindReserved(SectorReader& reader, const std::string& device, std::uint64_t first,
                           std::uint64_t from, std::uint64_t to, std::uint64_t fallback) {
    std::array<std::byte, kSectorSize> s{};
    for (std::uint64_t off = from; off <= to; ++off) {
        s.fill(std::byte{0});
        reader.ReadSectors(device, first + off, 1, s);
        const ByteView v(s);
        if (v.U8(0) == 0xF8 && v.U8(1) == 0xFF && off != 0) {
            return off;
        }
    }
    return fallback;
}

} // namespace

bool CalculateVolume(SectorReader& reader, const std::string& device,
                     const SelectedPartition& partition, VolumeParams& params,
                     ProgressSink& progress, std::stop_token stop) {
    const bool fat16 = partition.fileSystem == FileSystemKind::Fat16;
    const bool fat32 = partition.fileSystem == FileSystemKind::Fat32;
    if (!fat16 && !fat32) {
        return false;
    }
    progress.SetHint("Calculating Partition Params. Please Wait...");
    progress.SetStatus("Calculating Partition Params...");
    progress.ShowProgress(true);

    const std::uint64_t S = partition.firstSector;
    const std::uint64_t E = partition.lastSector;
    const std::uint64_t R = fat16 ? FindReserved(reader, device, S, 0, 9, 1)
                                  : FindReserved(reader, device, S, 30, 59, 32);

    bool haveFirst = false;
    std::uint64_t c = 0; // cluster and sector of the first directory start
    std::uint64_t d = 0;
    std::vector<std::byte> batch(static_cast<std::size_t>(kBatch) * kSectorSize);
    const std::uint64_t span = E > S ? E - S : 1;
    for (std::uint64_t i = S; i < E;) {
        if (stop.stop_requested()) {
            return false;
        }
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(kBatch, E - i));
        reader.ReadSectors(device, i, n, std::span<std::byte>(batch.data(), n * kSectorSize));
        for (std::uint32_t k = 0; k < n; ++k, ++i) {
            if ((i - S) % kProgressEvery == 0 && i != S) {
                const auto pct =
                    static_cast<int>(std::min<std::uint64_t>((i - S) * 100 / span, 100));
                progress.SetProgress(pct, std::to_string(i));
            }
            const ByteView s(
                std::span<const std::byte>(batch.data() + k * kSectorSize, kSectorSize));
            if (!IsDirectoryStart(s)) {
                continue;
            }
            const std::uint64_t low = s.U16(kDotEntry + kClusterLow);
            const std::uint64_t high = s.U16(kDotEntry + kClusterHigh);
            if (!haveFirst) {
                const std::uint64_t cluster = (high << 16) | low;
                if (cluster > 1 && cluster != 0xFFFFFFFFu) {
                    haveFirst = true;
                    c = cluster;
                    d = i;
                }
                continue;
            }
            // FAT16 has no high cluster word: only the low word counts.
            const std::uint64_t b = fat16 ? low : ((high << 16) | low);
            if (b <= c || b >= i || b >= d || (i - d) % (b - c) != 0) {
                continue;
            }
            const std::uint64_t spc = (i - d) / (b - c);
            if (!boot::IsClusterSize(spc) || spc * c > d) {
                continue;
            }
            // The data area must start after the reserved sectors and the
            // FATs (and, on FAT16, the 32-sector root directory).
            const std::uint64_t beforeData = spc * (c - 2) + R + S + (fat16 ? 32 : 0);
            if (c < 2 || beforeData > d) {
                continue;
            }
            const std::uint64_t spf = (d - beforeData) / 2;
            params.sectorsPerCluster = spc;
            params.cluster0Start = d - spc * c;
            params.reservedSectors = R;
            params.sectorsPerFat = spf;
            params.firstFat = S + R;
            params.secondFat = S + R + spf;
            if (fat16) {
                params.rootSectors = 32;
                params.rootStart = S + R + 2 * spf;
            } else {
                params.rootSectors = 0;
                params.rootStart = 2;
            }
            progress.SetProgress(100, std::to_string(i));
            return true;
        }
    }
    return false;
}

} // namespace quorvane
