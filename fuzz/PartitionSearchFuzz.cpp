// The partition search over a small disk made of the input's sectors, with a
// geometry taken from the input as the registry would hold it (any values).
#include "engine/volume/PartitionSearch.h"
#include "fuzz/FuzzDisk.h"

#include <cstring>

namespace {

std::uint64_t Take64(const std::uint8_t*& data, std::size_t& size) {
    std::uint64_t value = 0;
    const std::size_t n = std::min<std::size_t>(size, sizeof value);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    // Small numbers are the interesting geometries; the top bits of a value
    // choose between a small one and any 64-bit one.
    auto pick = [](std::uint64_t raw, std::uint64_t small) {
        return (raw >> 63) != 0 ? raw : raw % small;
    };
    SearchGeometry g;
    g.cylinders = pick(Take64(data, size), 4096);
    g.heads = pick(Take64(data, size), 300);
    g.sectorsPerTrack = pick(Take64(data, size), 130);
    // Up to 32 MiB of disk, whose sectors repeat the rest of the input.
    const std::uint64_t sectors = 1 + Take64(data, size) % 65536;
    fuzz::WrappingOpener opener(data, size, sectors * kSectorSize);
    SkipAllQuestions questions;
    DiskSelection selection;
    SectorReader reader(opener, questions, selection, 4096);
    DiskPartitionTable table;
    TreeModel tree;
    const TreeModel::Item root = tree.AddItem(TreeModel::kNone, "Disk 0", 2, 2);
    SilentProgress progress;
    const PartitionSearchOutcome outcome =
        SearchPartitions(reader, DeviceNameTable::NameOf(0), g, table[0], tree, root, progress);
    const DiskPartitions& disk = table[0];
    if (disk.count > DiskPartitions::kCapacity || outcome.tableFull != disk.Full() ||
        tree.Children(root).size() != disk.count) {
        __builtin_trap();
    }
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const PartitionInfo& p = disk.partitions[i];
        if (p.firstSector >= sectors || tree.Parent(p.treeItem) != root ||
            (i > 0 && p.firstSector <= disk.partitions[i - 1].firstSector)) {
            __builtin_trap();
        }
    }
    return 0;
}
