#include "engine/volume/PartitionSearch.h"

#include "engine/volume/BootSector.h"
#include "engine/volume/PartitionWalk.h"

#include <algorithm>
#include <array>
#include <limits>
#include <set>

namespace quorvane {

namespace {

constexpr std::uint64_t kTranslatedHeads = 255;
constexpr std::uint64_t kTranslatedSectorsPerTrack = 63;
constexpr std::uint64_t kTranslatedCylinderSectors = kTranslatedHeads * kTranslatedSectorsPerTrack;
// Partitions of the last fifteen years start on 1 MiB boundaries.
constexpr std::uint64_t kAlignmentSectors = 2048;

constexpr std::string_view kSearchHint =
    "This process will take few minutes to complete. Click Stop Search Partition to stop "
    "search missing partition. We recommend you that complete the search process.";
constexpr std::string_view kStopQuestion = "Do you want to stop searching partition";
constexpr std::string_view kStopCaption = "Orlune Windows";
constexpr std::string_view kStoppedHint =
    "Please click on back button or again click on Search Partition and complete that process.";

std::uint64_t MultiplySaturated(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return a * b;
}

// The tree has no deletion of its own: an item taken out of its parent's
// children is no longer shown or reached.
void DetachTreeItem(TreeModel& tree, TreeModel::Item item) {
    const TreeModel::Item parent = tree.Parent(item);
    if (!tree.Valid(item) || !tree.Valid(parent)) {
        return;
    }
    std::vector<TreeModel::Item>& siblings = tree.At(parent).children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
}

int ComboIndexOf(FileSystemKind fileSystem) {
    switch (fileSystem) {
    case FileSystemKind::Fat16:
        return 0;
    case FileSystemKind::Fat32:
        return 1;
    case FileSystemKind::Ntfs:
        return 2;
    default:
        return -1;
    }
}

using Sector = std::array<std::byte, kSectorSize>;

} // namespace

SearchGeometry TranslateSearchGeometry(SearchGeometry stored) {
    if (stored.sectorsPerTrack == kTranslatedSectorsPerTrack) {
        return stored;
    }
    SearchGeometry g;
    g.cylinders = MultiplySaturated(MultiplySaturated(stored.sectorsPerTrack, stored.heads),
                                    stored.cylinders) /
                  kTranslatedCylinderSectors;
    g.heads = kTranslatedHeads;
    g.sectorsPerTrack = kTranslatedSectorsPerTrack;
    return g;
}

SearchedBootSector DecideSearchedBootSector(ByteView sector, std::uint64_t first) {
    SearchedBootSector found;
    if (sector.Matches(boot::kFat32Short, "32")) {
        found.fileSystem = FileSystemKind::Fat32;
    } else if (sector.Matches(boot::kFat16Short, "16")) {
        found.fileSystem = FileSystemKind::Fat16;
    } else if (sector.Matches(boot::kOemNtfs, "NTFS")) {
        found.fileSystem = FileSystemKind::Ntfs;
    } else {
        return found;
    }
    std::uint64_t total = 0;
    if (found.fileSystem == FileSystemKind::Ntfs) {
        total = sector.U64(boot::kNtfsTotalSectors) & 0xFFFFFFFFU;
    } else {
        total = sector.U32(boot::kTotalSectors32);
        // A FAT volume below 65536 sectors keeps its size in the 16-bit field
        // and leaves the 32-bit one 0; taking only the latter would list every
        // small FAT16 volume with no sectors at all.
        if (total == 0) {
            total = sector.U16(boot::kTotalSectors16);
        }
    }
    found.endSector = first + total;
    return found;
}

PartitionSearchOutcome SearchPartitions(SectorReader& reader, const std::string& device,
                                        SearchGeometry stored, DiskPartitions& disk,
                                        TreeModel& tree, TreeModel::Item root,
                                        ProgressSink& progress, std::stop_token stop) {
    PartitionSearchOutcome outcome;
    progress.SetHint(kSearchHint);
    progress.SetStatus("Searching Partition...");
    progress.ShowProgress(true);

    // An empty child gives a root without partitions its expand button while
    // the search runs; it goes again at the end.
    if (disk.count == 0 && tree.Valid(root)) {
        tree.AddItem(root, "", 1, 1);
        tree.At(root).expanded = false;
    }
    // The search replaces whatever the disk's entry held.
    for (std::uint32_t i = 0; i < disk.count && i < DiskPartitions::kCapacity; ++i) {
        DetachTreeItem(tree, disk.partitions[i].treeItem);
        disk.partitions[i] = PartitionInfo{};
    }
    disk.count = 0;
    disk.defaultItem = TreeModel::kNone;

    const SearchGeometry g = TranslateSearchGeometry(stored);
    const std::uint64_t cylinderSectors = MultiplySaturated(g.heads, g.sectorsPerTrack);
    const std::uint64_t diskSectors = reader.DeviceSectors(device);
    // Cylinders that start past the end of the disk hold nothing and could
    // only fail to read, so a geometry larger than the disk is cut to it.
    std::uint64_t cylinders = g.cylinders;
    if (cylinderSectors == 0) {
        cylinders = 0;
    } else {
        const std::uint64_t onDisk =
            diskSectors / cylinderSectors + (diskSectors % cylinderSectors != 0 ? 1 : 0);
        cylinders = std::min(cylinders, onDisk);
    }
    // The boundaries run to the end of the disk: unlike cylinders they do not
    // depend on a geometry that may be wrong or leave a partial cylinder out.
    const std::uint64_t searchEnd = cylinders > 0 ? diskSectors : 0;

    struct Hit {
        std::uint64_t sector;
        SearchedBootSector boot;
    };
    std::vector<Hit> hits;
    std::set<std::uint64_t> listed;
    Sector buffer{};
    // Reads one sector and tells whether it ends with the boot signature; a
    // signed sector with a file system is kept as a hit. Sectors past the end
    // are not read at all.
    auto examine = [&](std::uint64_t sector) {
        if (sector >= diskSectors) {
            return false;
        }
        buffer.fill(std::byte{0});
        reader.ReadSectors(device, sector, 1, buffer);
        if (!boot::HasSignature(ByteView(buffer))) {
            return false;
        }
        SearchedBootSector b = DecideSearchedBootSector(ByteView(buffer), sector);
        if (b.fileSystem != FileSystemKind::None) {
            hits.push_back({sector, std::move(b)});
        }
        return true;
    };
    // Lists the hits of one stretch of the disk in ascending order, each
    // sector once (a 1 MiB boundary can also be a cylinder start).
    auto listHits = [&] {
        std::sort(hits.begin(), hits.end(),
                  [](const Hit& x, const Hit& y) { return x.sector < y.sector; });
        for (const Hit& hit : hits) {
            if (disk.Full() || !listed.insert(hit.sector).second) {
                continue;
            }
            PartitionInfo info;
            info.fileSystem = hit.boot.fileSystem;
            info.firstSector = hit.sector;
            info.endSector = hit.boot.endSector;
            info.treeItem =
                AddTreeItem(tree, PartitionItemText(disk.count + 1, info.fileSystem), root);
            if (disk.count == 0) {
                disk.defaultItem = info.treeItem;
            }
            disk.Add(info);
        }
        hits.clear();
    };

    // Sector 0 holds the partition table, not a volume of a partitioned disk;
    // cylinder 0 examines it anyway.
    std::uint64_t nextBoundary = kAlignmentSectors;
    for (std::uint64_t k = 0; k < cylinders && !disk.Full(); ++k) {
        if (stop.stop_requested()) {
            outcome.stopped = true;
            break;
        }
        progress.SetProgress(static_cast<int>(k * 100 / cylinders),
                             std::to_string(k * 100 / cylinders) + "% Completed");
        outcome.cylindersSearched = k + 1;
        const std::uint64_t start = k * cylinderSectors;
        if (!examine(start + g.sectorsPerTrack)) {
            examine(start);
        }
        // The boundaries inside this cylinder.
        const std::uint64_t cylinderEnd =
            std::min(start + std::min(cylinderSectors, diskSectors), searchEnd);
        for (; nextBoundary < cylinderEnd; nextBoundary += kAlignmentSectors) {
            examine(nextBoundary);
        }
        listHits();
    }
    // The boundaries past the last whole cylinder.
    while (!outcome.stopped && nextBoundary < searchEnd && !disk.Full()) {
        if (stop.stop_requested()) {
            outcome.stopped = true;
            break;
        }
        examine(nextBoundary);
        nextBoundary += kAlignmentSectors;
        listHits();
    }
    outcome.tableFull = disk.Full();

    if (!outcome.stopped && disk.count > 0) {
        const PartitionInfo& first = disk.partitions[0];
        outcome.comboText = FileSystemName(first.fileSystem);
        outcome.comboIndex = ComboIndexOf(first.fileSystem);
        outcome.range = {first.firstSector, first.endSector};
    }
    if (!outcome.stopped) {
        progress.SetProgress(100, "100% Completed");
    }
    progress.ShowProgress(false);

    if (tree.Valid(root)) {
        for (const TreeModel::Item child : tree.Children(root)) {
            if (tree.At(child).text.empty()) {
                DetachTreeItem(tree, child);
                break;
            }
        }
        tree.Expand(root);
    }
    return outcome;
}

void RunNinetyFiveFamilySearch(ProgressSink& progress, std::stop_token stop,
                               const std::function<void(std::chrono::milliseconds)>& wait) {
    progress.ShowProgress(true);
    progress.SetProgress(0, "0% Completed");
    for (int position = 0; position < 100 && !stop.stop_requested();) {
        wait(std::chrono::milliseconds(100));
        if (stop.stop_requested()) {
            break;
        }
        // Each step adds 1.5 and keeps the whole part, that is 1.
        position = static_cast<int>(position + 1.5);
        progress.SetProgress(position, std::to_string(position) + "% Completed");
    }
    progress.ShowProgress(false);
}

bool AskStopPartitionSearch(UserQuestions& questions, ProgressSink& progress,
                            std::stop_source& stop) {
    if (questions.ShowMessage(kStopQuestion, kStopCaption, MessageIcon::Question,
                              MessageButtons::YesNo) != MessageAnswer::Yes) {
        return false;
    }
    progress.SetHint(kStoppedHint);
    stop.request_stop();
    return true;
}

} // namespace quorvane
