// A directory cluster and the root region of a disk made of the input, listed
// and relabelled; every long-name position of the first sectors read back.
#include "engine/fat/FatDirectory.h"
#include "engine/fat/FatListText.h"
#include "fuzz/FatFuzzVolume.h"

#include <array>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvane;
    fuzz::FatFuzzVolume volume(data, size);
    RecoverySession& s = volume.session;
    ListModel list;
    SetFileListColumns(list);
    ListFatDirectory(s.FatView(), list, 0, volume.cluster, false);
    ListFatDirectory(s.FatView(), list, list.RowCount(), 0, true);
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
        if (list.Cell(r, 0).empty() && list.Cell(r, 1).empty()) {
            __builtin_trap();
        }
    }
    std::array<std::byte, 512> sector{};
    for (std::uint64_t k = 0; k < 4; ++k) {
        sector.fill(std::byte{0});
        const std::size_t at = static_cast<std::size_t>(k) * 512;
        if (at < size) {
            std::memcpy(sector.data(), data + at, std::min<std::size_t>(512, size - at));
        }
        for (std::size_t offset = 0; offset < 512; offset += 32) {
            const auto name = ReadLongName(s.Reader, s.Device(), sector, offset, k);
            if (name && name->size() > 270) {
                __builtin_trap();
            }
        }
        RelabelWithLongNames(s.FatView(), s, k, 0);
    }
    return 0;
}
