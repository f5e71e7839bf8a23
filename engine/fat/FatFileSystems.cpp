#include "engine/fat/FatFileSystems.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quorvane {

namespace {

bool IsClusterSize(std::uint64_t h) {
    return h != 0 && h <= 128 && (h & (h - 1)) == 0;
}

class Percent {
public:
    Percent(ProgressSink& sink, std::uint64_t total) : sink_(sink), total_(total) {}
    void Step() {
        ++done_;
        const int p = total_ == 0
                          ? 100
                          : static_cast<int>(std::min<std::uint64_t>(100, done_ * 100 / total_));
        if (p != last_) {
            last_ = p;
            sink_.SetProgress(p, std::to_string(p) + "% Completed");
        }
    }

private:
    ProgressSink& sink_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    int last_ = -1;
};

} // namespace

std::uint32_t IdentifyFatFileSystems(ResultTables& tables, FileSystemKind partitionType,
                                     ProgressSink& progress) {
    BootTableT& boots = tables.BootTable;
    BootTableT& systems = tables.BootTable2;
    LostDirTableT& dirs = tables.LostDirTable;
    std::uint32_t count = 0;
    Percent percent(progress, dirs.RowCount());

    progress.SetHint("Analyzing The Data For File Systems Phase 1 \\ 2   ...");
    for (const BootRow& boot : boots) {
        bool accepted = false;
        for (LostDirRow& dir : dirs) {
            if (dir.fileSystem != 0 || dir.sector < boot.cluster0Start ||
                dir.sector > boot.totalSectors) {
                continue;
            }
            if (dir.sector !=
                boot.cluster0Start + static_cast<std::uint64_t>(dir.self) * boot.spc) {
                continue;
            }
            if (!accepted) {
                accepted = true;
                ++count;
                systems.Append(boot);
            }
            dir.fileSystem = count;
            percent.Step();
        }
    }

    progress.SetHint("Analyzing The Data For File Systems Phase 2 \\ 2   ...");
    for (std::size_t fi = 0; fi < dirs.RowCount(); ++fi) {
        if (dirs[fi].fileSystem != 0) {
            continue;
        }
        const std::uint64_t l = dirs[fi].sector;
        const std::uint64_t u = dirs[fi].self;
        bool paired = false;
        for (std::size_t oi = fi + 1; oi < dirs.RowCount() && !paired; ++oi) {
            const LostDirRow& o = dirs[oi];
            if (o.fileSystem != 0) {
                continue;
            }
            const std::uint64_t t = o.sector;
            const std::uint64_t m = o.self;
            if (!(u < m && l < t && m < t && m < l)) {
                continue;
            }
            if ((t - l) % (m - u) != 0) {
                continue;
            }
            const std::uint64_t h = (t - l) / (m - u);
            if (!IsClusterSize(h) || h * u >= l || m * h >= t || l - h * u != t - m * h) {
                continue;
            }
            const std::uint64_t c = l - h * u;
            ++count;
            BootRow row;
            row.spc = h;
            row.cluster0Start = c;
            row.partType = partitionType;
            for (LostDirRow& d : dirs) {
                if (d.fileSystem == 0 && d.sector == c + h * static_cast<std::uint64_t>(d.self)) {
                    d.fileSystem = count;
                    percent.Step();
                    if (d.self > 0x10000) {
                        row.partType = FileSystemKind::Fat32;
                    }
                }
            }
            systems.Append(std::move(row));
            paired = true;
        }
        if (!paired) {
            dirs[fi].fileSystem = kNoFileSystem;
            percent.Step();
        }
    }
    return count;
}

bool LocateFats(SectorReader& reader, const std::string& device, BootRow& row) {
    const bool fat32 = row.partType == FileSystemKind::Fat32;
    const std::uint64_t back = fat32 ? 30000 : 550;
    std::uint64_t from = row.cluster0Start > back ? row.cluster0Start - back : 0;
    if (from == 0) {
        from = 63;
    }
    const std::uint64_t deviceSectors = reader.DeviceSectors(device);
    const std::uint64_t to = std::min(row.cluster0Start, deviceSectors); // exclusive
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::vector<std::byte> block;
    constexpr std::uint64_t kBatch = 256;
    for (std::uint64_t s = from; s < to && second == 0; s += kBatch) {
        const std::uint64_t n = std::min(kBatch, to - s);
        block.assign(n * 512, std::byte{0});
        reader.ReadSectors(device, s, static_cast<std::uint32_t>(n), block);
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::byte* p = block.data() + i * 512;
            if (p[0] != std::byte{0xF8} || p[1] != std::byte{0xFF} || p[2] != std::byte{0xFF}) {
                continue;
            }
            if (first == 0) {
                first = s + i;
                row.firstFat = first;
            } else {
                second = s + i;
                row.secondFat = second;
                break;
            }
        }
    }
    if (first == 0 || second == 0) {
        return false;
    }
    row.spf = second - first;
    row.rootStart = fat32 ? 2 : second + (second - first);
    return true;
}

} // namespace quorvane
