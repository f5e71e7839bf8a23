#include "engine/fat/LostDirSearch.h"

#include "engine/core/CellText.h"
#include "engine/core/TreeFolders.h"
#include "engine/fat/FatChain.h"
#include "engine/volume/BootSector.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

// Sectors per device request. Scans read large blocks and test the sectors in
// memory; the results are those of reading sector by sector.
constexpr std::uint64_t kBatchSectors = 2048;
constexpr std::uint64_t kProBatch = 16; // the sectors of one examined group

// "." entry and ".." entry fields of a folder start.
constexpr std::size_t kDotAttributes = 11;
constexpr std::size_t kDotClusterHigh = 20;
constexpr std::size_t kDotTime = 22;
constexpr std::size_t kDotDate = 24;
constexpr std::size_t kDotClusterLow = 26;
constexpr std::size_t kDotSize = 28;
constexpr std::size_t kParentClusterHigh = 52;
constexpr std::size_t kParentClusterLow = 58;

std::uint32_t OwnCluster32(ByteView s) {
    return MakeDword(s.U8(kDotClusterLow), s.U8(kDotClusterLow + 1), s.U8(kDotClusterHigh),
                     s.U8(kDotClusterHigh + 1));
}
std::uint32_t ParentCluster32(ByteView s) {
    return MakeDword(s.U8(kParentClusterLow), s.U8(kParentClusterLow + 1), s.U8(kParentClusterHigh),
                     s.U8(kParentClusterHigh + 1));
}

std::string SectorStatus(std::uint64_t s, std::uint64_t end) {
    return "Sector  " + Decimal(s) + " / " + Decimal(end);
}

// The progress of a scan: s * 100 / end, at most 100, told only when it moves.
class ScanProgress {
public:
    explicit ScanProgress(ProgressSink& sink) : sink_(sink) {}
    void At(std::uint64_t s, std::uint64_t end) {
        std::uint64_t p = 100;
        if (s < end) {
            p = end > UINT64_MAX / 100 ? s / (end / 100) : s * 100 / end;
        }
        if (static_cast<int>(p) != last_) {
            last_ = static_cast<int>(p);
            sink_.SetProgress(last_, std::to_string(last_) + " % Completed");
        }
    }

private:
    ProgressSink& sink_;
    int last_ = -1;
};

// Reads [first, first + count) into `buffer`; sectors past the end of the disk
// read as zeros without a request, so that a range that runs past the disk's
// end does not pass for a damaged area.
void ReadBlock(SectorReader& reader, const std::string& device, std::uint64_t deviceSectors,
               std::uint64_t first, std::uint64_t count, std::vector<std::byte>& buffer) {
    // The reader leaves unreadable sectors as zeros, so only the part past the
    // end of the disk needs clearing: no pass over the whole block per request.
    buffer.resize(count * kSectorSize);
    const std::uint64_t n = first < deviceSectors ? std::min(count, deviceSectors - first) : 0;
    if (n > 0) {
        reader.ReadSectors(device, first, static_cast<std::uint32_t>(n),
                           std::span<std::byte>(buffer.data(), n * kSectorSize));
    }
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n * kSectorSize), buffer.end(),
              std::byte{0});
}

} // namespace

bool IsFolderStart(ByteView s) {
    return s.Matches(0, ". ") && s.Matches(32, ".. ");
}

FileSystemKind FatBootSectorType(ByteView s) {
    if (!boot::HasSignature(s)) {
        return FileSystemKind::None;
    }
    if (s.Matches(boot::kFat32Short, "32")) {
        return FileSystemKind::Fat32;
    }
    if (s.Matches(boot::kFat16Short, "16")) {
        return FileSystemKind::Fat16;
    }
    return FileSystemKind::None;
}

void LostDirSearch(DiskAccess& disk, const VolumeChoice& volume, EntryTableT& table,
                   ProgressSink& progress, std::stop_token stop) {
    const std::uint64_t end = volume.Search.RangeEnd;
    const std::uint64_t spc = volume.Volume.sectorsPerCluster;
    const bool fat32 = volume.Selected.fileSystem == FileSystemKind::Fat32;
    const bool floppy = volume.Search.Floppy || disk.Selection.FloppyChosen();

    progress.SetCounter(kDirectoriesFound, "0");
    progress.SetCounter(kBootSectorsFound, "0");
    progress.SetStatus(SectorStatus(0, end));

    EntryRow lost;
    lost.name = "Lost";
    lost.self = kLostFolderNumber;
    lost.attr = 16;
    lost.type = "FOLDER";
    table.Append(lost);
    progress.SetCounter(kDirectoriesFound, "1");

    // A cluster size of 0 would never advance.
    if (spc == 0) {
        return;
    }
    const std::string device = disk.Device();
    const std::uint64_t deviceSectors = disk.Reader.DeviceSectors(device);
    ScanProgress percent(progress);
    std::vector<std::byte> block;
    std::uint64_t s = volume.Volume.cluster0Start + 2 * spc;
    std::uint32_t k = 2;
    std::uint32_t f = 1;
    std::uint32_t steps = 0;
    const std::uint64_t clustersPerBatch = std::max<std::uint64_t>(1, kBatchSectors / spc);
    while (s < end) {
        // One request for a run of clusters, up to the last cluster start
        // below the end (only the first sector of each is examined).
        const std::uint64_t clusters = std::min(clustersPerBatch, (end - s + spc - 1) / spc);
        const std::uint64_t sectors = (clusters - 1) * spc + 1;
        ReadBlock(disk.Reader, device, deviceSectors, s, sectors, block);
        for (std::uint64_t i = 0; i < clusters; ++i, s += spc, ++k) {
            if (stop.stop_requested()) {
                return;
            }
            if (++steps >= 1000 || floppy) {
                steps = 0;
                progress.SetStatus(SectorStatus(s, end));
            }
            const ByteView sector(
                std::span<const std::byte>(block).subspan(i * spc * kSectorSize, kSectorSize));
            if (IsFolderStart(sector)) {
                const std::uint32_t own = fat32 ? OwnCluster32(sector) : sector.U16(kDotClusterLow);
                if (own == k) {
                    EntryRow row;
                    row.name = "Dir" + Decimal(f);
                    row.sector = s;
                    row.self = own;
                    row.parent = fat32 ? ParentCluster32(sector) : sector.U16(kParentClusterLow);
                    row.date = sector.U16(kDotDate);
                    row.time = sector.U16(kDotTime);
                    row.size = sector.U32(kDotSize);
                    row.attr = sector.U8(kDotAttributes);
                    row.sysId = 0;
                    row.type = "FOLDER";
                    table.Append(std::move(row));
                    progress.SetCounter(kDirectoriesFound, Decimal(f + 1));
                    ++f;
                }
            }
            percent.At(s, end);
        }
    }
}

void LostDirSearchPro(DiskAccess& disk, const SearchInputs& search, ResultTables& tables,
                      ProgressSink& progress, std::stop_token stop) {
    const std::uint64_t start = search.RangeStart;
    const std::uint64_t end = search.RangeEnd;
    BootTableT& boots = tables.BootTable;
    LostDirTableT& dirs = tables.LostDirTable;

    progress.SetCounter(kDirectoriesFound, "0");
    progress.SetCounter(kBootSectorsFound, "0");
    progress.SetStatus(SectorStatus(0, end));
    if (end <= start) {
        return;
    }
    const std::string device = disk.Device();
    const std::uint64_t deviceSectors = disk.Reader.DeviceSectors(device);
    ScanProgress percent(progress);
    std::vector<std::byte> block;
    std::uint64_t bootCount = 0;
    std::uint64_t dirCount = 0;
    std::uint32_t counter = 0;
    // A group of 16 that starts below the end is examined whole.
    const std::uint64_t groups = (end - start + kProBatch - 1) / kProBatch;
    const std::uint64_t groupsPerBatch = kBatchSectors / kProBatch;
    for (std::uint64_t g = 0; g < groups;) {
        const std::uint64_t n = std::min(groupsPerBatch, groups - g);
        const std::uint64_t first = start + g * kProBatch;
        ReadBlock(disk.Reader, device, deviceSectors, first, n * kProBatch, block);
        for (std::uint64_t j = 0; j < n; ++j, ++g) {
            const std::uint64_t s = start + g * kProBatch;
            for (std::uint64_t i = 0; i < kProBatch; ++i) {
                if (stop.stop_requested()) {
                    return;
                }
                const std::uint64_t at = s + i;
                const ByteView b(std::span<const std::byte>(block).subspan(
                    (j * kProBatch + i) * kSectorSize, kSectorSize));
                const FileSystemKind type = FatBootSectorType(b);
                if (type != FileSystemKind::None) {
                    const boot::FatFields f = boot::ReadFatFields(b);
                    const bool fat32 = type == FileSystemKind::Fat32;
                    BootRow row;
                    row.sector = at;
                    row.spf = fat32 ? f.sectorsPerFat32 : f.sectorsPerFat16;
                    row.spc = f.sectorsPerCluster;
                    row.rootSectors = fat32 ? 0 : f.rootEntries / 16;
                    row.rootStart = fat32 ? f.rootCluster : at + f.reservedSectors + 2 * row.spf;
                    row.reserveSectors = f.reservedSectors;
                    const std::uint64_t dataStart =
                        at + f.reservedSectors + row.rootSectors + 2 * row.spf;
                    // A garbage cluster size larger than the data start would
                    // put cluster 0 before the disk: it is taken as sector 0.
                    row.cluster0Start = dataStart >= 2 * row.spc ? dataStart - 2 * row.spc : 0;
                    row.firstFat = at + f.reservedSectors;
                    row.secondFat = at + f.reservedSectors + row.spf;
                    row.totalSectors = at + f.totalSectors32;
                    row.partType = type;
                    boots.Append(std::move(row));
                    progress.SetCounter(kBootSectorsFound, Decimal(++bootCount));
                }
                if (IsFolderStart(b)) {
                    LostDirRow row;
                    row.sector = at;
                    row.self = OwnCluster32(b);
                    row.parent = ParentCluster32(b);
                    row.fileSystem = 0;
                    row.date = b.U16(kDotDate);
                    row.time = b.U16(kDotTime);
                    dirs.Append(std::move(row));
                    progress.SetCounter(kDirectoriesFound, Decimal(++dirCount));
                }
            }
            counter += kProBatch;
            if (counter > 999) {
                progress.SetStatus(SectorStatus(s, end));
                counter = 0;
            }
            percent.At(s, end);
        }
    }
}

} // namespace quorvane
