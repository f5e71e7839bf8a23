// The partition walk over a disk made of the input's sectors.
#include "engine/volume/PartitionWalk.h"
#include "fuzz/FuzzDisk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    // A 2 TiB disk whose sectors repeat the input.
    fuzz::WrappingOpener opener(data, size, std::uint64_t{1} << 41);
    SkipAllQuestions questions;
    DiskSelection selection;
    SectorReader reader(opener, questions, selection, 4096);
    DiskPartitionTable table;
    TreeModel tree;
    BuildPartitionTree(reader, 0, table, tree);
    if (table[0].count > DiskPartitions::kCapacity) {
        __builtin_trap();
    }
    return 0;
}
