// The GUID partition table: its header and entry parsers on the input itself,
// and the reader with the listing over a 1 GiB disk whose sectors repeat the
// input (sector 1, the primary header, is the input's second 512 bytes). The
// CRCs are left out so that the input reaches the entry parser; the walk with
// them is fuzzed by partition_walk_fuzz.
#include "engine/volume/GuidPartitionTable.h"
#include "fuzz/FuzzDisk.h"

namespace {

constexpr std::uint64_t kDiskSectors = (std::uint64_t{1} << 30) / quorvane::kSectorSize;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    const GptChecks noCrc{.crc = false};

    const ByteView input(std::as_bytes(std::span(data, size)));
    std::string problem;
    const ByteView header(input.bytes().first(std::min<std::size_t>(size, kSectorSize)));
    if (const auto h = ParseGptHeader(header, 1, kDiskSectors, problem, noCrc)) {
        ParseGptEntries(ByteView(input.bytes().subspan(header.size())), *h, problem, noCrc);
    }

    fuzz::WrappingOpener opener(data, size, kDiskSectors * kSectorSize);
    SkipAllQuestions questions;
    DiskSelection selection;
    SectorReader reader(opener, questions, selection, 4096);
    const std::string device = DeviceNameTable::NameOf(0);
    const GptRead read = ReadGuidPartitionTable(reader, device, kDiskSectors, noCrc);
    DiskPartitions disk;
    TreeModel tree;
    const TreeModel::Item root = tree.AddItem(TreeModel::kNone, "Disk 0", 2, 2);
    const bool listed = ListGuidPartitions(reader, device, kDiskSectors, read, disk, tree, root);
    if (disk.count > DiskPartitions::kCapacity || (!listed && disk.count != 0) ||
        disk.notes.size() > 40) {
        __builtin_trap();
    }
    for (std::uint32_t i = 0; i < disk.count; ++i) {
        const PartitionInfo& p = disk.partitions[i];
        if (p.firstSector >= p.endSector || p.endSector > kDiskSectors) {
            __builtin_trap(); // a listed partition is never read past the disk
        }
    }
    return 0;
}
