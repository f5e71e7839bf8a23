// A run list alone: the first 8 input bytes give the volume's cluster count,
// the rest is the run list. Every run taken lies inside the volume, and the
// decoder never takes more runs than bytes.
#include "engine/core/ByteView.h"
#include "engine/ntfs/DataRuns.h"

#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    const std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data), size);
    const std::uint64_t clusters = ByteView(input).U64(0);
    const std::span<const std::byte> runs = size > 8 ? input.subspan(8) : input.subspan(size);
    const DecodedRunList d = DecodeRunBytes(runs, clusters);
    if (d.list.Count() > runs.size()) {
        __builtin_trap();
    }
    std::uint64_t total = 0;
    for (const DataRun& run : d.list.runs) {
        if (run.clusterCount == 0 ||
            (!run.sparse &&
             (run.startCluster > clusters || run.clusterCount > clusters - run.startCluster))) {
            __builtin_trap();
        }
        if (run.clusterCount > ~std::uint64_t{0} - total) {
            __builtin_trap();
        }
        total += run.clusterCount;
    }
    if (total != d.list.TotalClusters() || (d.Decoded() && d.end == RunListEnd::NoRunList)) {
        __builtin_trap();
    }
    FirstRunStart(runs);
    return 0;
}
