// The FAT engine's benchmarks, driven by bench/fat-bench.sh:
//   fat_bench search IMAGE standard|professional FIRST END
//       the lost-directory search of a FAT32 volume whose boot sector is at
//       FIRST, over sectors up to END; prints bytes searched, seconds, folders
//   fat_bench tree N
//       the orphan pass and the tree building from N lost directories (a
//       random forest with orphans, repeats and rings); prints N, seconds
#include "engine/fat/FatTree.h"
#include "engine/fat/LostDirSearch.h"
#include "engine/session/RecoverySession.h"
#include "engine/volume/VolumeValidation.h"
#include "platform/DeviceMap.h"
#include "platform/MemoryBlockDevice.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace quorvane;

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Search(const std::string& image, const std::string& mode, std::uint64_t first,
           std::uint64_t end) {
    platform::DeviceMap devices;
    devices.Map(DeviceNameTable::NameOf(0), image);
    quorvane::SkipAllQuestions questions;
    RecoverySession s(devices, questions);
    SilentProgress progress;
    s.Selected.fileSystem = FileSystemKind::Fat32;
    s.Selected.firstSector = first;
    s.Selected.lastSector = end - 1;
    s.Search.RangeStart = first;
    s.Search.RangeEnd = end;
    if (!ValidateVolume(s.Reader, s.Device(), s.Selected, s.Volume, s.Tables, progress)) {
        std::fprintf(stderr, "fat_bench: %s: no FAT32 volume at sector %llu\n", image.c_str(),
                     static_cast<unsigned long long>(first));
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::uint64_t from = first;
    std::size_t found = 0;
    if (mode == "standard") {
        from = s.Volume.cluster0Start + 2 * s.Volume.sectorsPerCluster;
        LostDirSearch(s, s, s.Tables.EntryTable, progress);
        found = s.Tables.EntryTable.RowCount() - 1;
    } else {
        LostDirSearchPro(s, s.Search, s.Tables, progress);
        found = s.Tables.LostDirTable.RowCount();
    }
    const double seconds = Since(start);
    std::printf("%llu %.6f %zu\n", static_cast<unsigned long long>((end - from) * kSectorSize),
                seconds, found);
    return 0;
}

int Tree(std::size_t n) {
    // A disk of zeros: every folder's directory reads as empty, so the build's
    // expansion pass reads one sector per folder, as on a real volume.
    const std::size_t clusters = n + 16;
    std::vector<std::byte> zeros(clusters * kSectorSize);
    platform::MemoryDeviceOpener opener;
    opener.Map(DeviceNameTable::NameOf(0), zeros);
    quorvane::SkipAllQuestions questions;
    RecoverySession s(opener, questions);
    SilentProgress progress;
    s.Selected.fileSystem = FileSystemKind::Fat32;
    s.Current.FileSystem = FileSystemKind::Fat32;
    s.Current.SPC = 1;
    s.Current.Cluster0Start = 0;
    s.Current.RootStart = 2;

    std::mt19937 random(12345);
    EntryTableT& table = s.Tables.EntryTable;
    EntryRow lost;
    lost.name = "Lost";
    lost.self = kLostFolderNumber;
    lost.attr = 16;
    lost.type = "FOLDER";
    table.Append(lost);
    for (std::size_t i = 0; i < n; ++i) {
        EntryRow row;
        row.name = "Dir" + std::to_string(i + 1);
        row.self = static_cast<std::uint32_t>(3 + i);
        const unsigned kind = random() % 100;
        if (i == 0 || kind < 5) {
            row.parent = 0; // top level
        } else if (kind < 10) {
            row.parent = static_cast<std::uint32_t>(10'000'000 + random() % 1000); // orphan
        } else if (kind < 11) {
            row.parent = row.self; // its own parent
        } else {
            row.parent = static_cast<std::uint32_t>(3 + random() % i); // an earlier folder
        }
        row.attr = 16;
        row.type = "FOLDER";
        table.Append(std::move(row));
    }
    const auto start = std::chrono::steady_clock::now();
    MarkOrphans(table, progress, kFatRootNumber);
    BuildFatTree(s.FatView(), s, s.Tables.EntryTable, s.Selected.fileSystem, progress);
    const double seconds = Since(start);
    std::printf("%zu %.6f %zu\n", n, seconds, s.TreeFolders.Count());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "search" && argc == 6) {
        return Search(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10),
                      std::strtoull(argv[5], nullptr, 10));
    }
    if (what == "tree" && argc == 3) {
        return Tree(std::strtoull(argv[2], nullptr, 10));
    }
    std::fprintf(stderr, "usage: fat_bench search IMAGE standard|professional FIRST END\n"
                         "       fat_bench tree N\n");
    return 2;
}
