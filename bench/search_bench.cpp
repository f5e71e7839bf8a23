// The partition search over a disk image with the 255 x 63 geometry the
// catalogue stores for a named image. Prints seconds and what was found.
#include "engine/volume/PartitionSearch.h"
#include "platform/DeviceMap.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: search_bench IMAGE [READ_AHEAD_BYTES]\n");
        return 2;
    }
    using namespace quorvane;
    platform::DeviceMap devices;
    const std::string device = DeviceNameTable::NameOf(0);
    devices.Map(device, argv[1]);
    quorvane::SkipAllQuestions questions;
    DiskSelection selection;
    const std::size_t readAhead =
        argc == 3 ? std::strtoul(argv[2], nullptr, 10) : SectorReader::kDefaultReadAhead;
    SectorReader reader(devices, questions, selection, readAhead);
    const std::uint64_t sectors = reader.DeviceSectors(device);
    if (sectors == 0) {
        std::fprintf(stderr, "search_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    DiskPartitionTable table;
    TreeModel tree;
    const TreeModel::Item root = tree.AddItem(TreeModel::kNone, "Disk 0", 2, 2);
    SilentProgress progress;
    const auto start = std::chrono::steady_clock::now();
    SearchPartitions(reader, device, {sectors / 16065, 255, 63}, table[0], tree, root, progress);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.6f", seconds);
    for (std::uint32_t i = 0; i < table[0].count; ++i) {
        std::printf(" %s@%llu",
                    std::string(FileSystemName(table[0].partitions[i].fileSystem)).c_str(),
                    static_cast<unsigned long long>(table[0].partitions[i].firstSector));
    }
    std::printf("\n");
    return 0;
}
