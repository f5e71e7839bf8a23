// The FAT chain walker over a disk made of the input: every chain ends, holds
// no cluster twice and starts with its first cluster.
#include "engine/fat/FatChain.h"
#include "fuzz/FatFuzzVolume.h"

#include <unordered_set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    fuzz::FatFuzzVolume volume(data, size);
    RecoverySession& s = volume.session;
    ClusterList chain;
    WalkFatChain(s.Reader, s.Device(), s.Current, volume.cluster, chain);
    if (chain.Empty() || chain[0] != volume.cluster) {
        __builtin_trap();
    }
    std::unordered_set<std::uint32_t> seen;
    for (const std::uint32_t c : chain) {
        if (!seen.insert(c).second) {
            __builtin_trap();
        }
    }
    if (chain.Size() > fuzz::FatFuzzVolume::kDiskBytes / 512 + 2) {
        __builtin_trap();
    }
    return 0;
}
