// The window logic of raw recovery over windows built from the input: each
// 4-byte record of the input makes one sector, which may begin with a start
// signature and may hold a marker at some offset (also across the sector's
// end, into the next window). Checks what the logic promises: every start is
// decided once, in order, numbered from 1, with an end not before its start
// and a type of its kind; and the fast marker search equals a plain one.
#include "engine/raw/MarkerSearch.h"
#include "engine/raw/RawWindowCarver.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

using namespace quorvane;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data), size);
    Check(FindAllMarkers(input) == FindAllMarkersNaive(input));

    const std::size_t windowSectors = 1 + data[0] % 40;
    const std::uint64_t rangeEnd = 1 + data[1] % 250;
    const std::size_t sectors = (size - 2) / 4;
    std::vector<std::byte> disk(sectors * 512);
    std::set<std::uint64_t> starts;
    for (std::size_t s = 0; s < sectors; ++s) {
        const std::uint8_t* r = data + 2 + 4 * s;
        std::byte* sector = disk.data() + s * 512;
        static constexpr std::string_view kStarts[] = {kCompoundSignature, "PK\x03\x04\x14\x00"sv,
                                                       "Microsoft Excel 5.0"sv,
                                                       "PK\x03\x04\x0A\x00"sv};
        if (r[0] % 6 < 4) {
            const std::string_view start = kStarts[r[0] % 6];
            std::memcpy(sector, start.data(), start.size());
            if (s < rangeEnd) {
                starts.insert(s);
            }
        }
        if (r[1] % 4 != 0) {
            const std::string_view m = RawSignatureTable[r[1] % kRawEntryCount].marker;
            const std::size_t at = 20 + (r[2] * 2u) % 490;
            const std::size_t room = disk.size() - s * 512 - at;
            std::memcpy(sector + at, m.data(), std::min(m.size(), room));
        }
        sector[511] = static_cast<std::byte>(r[3]);
    }

    RawWindowCarver carver(rangeEnd);
    std::uint64_t lastStart = 0;
    std::uint64_t number = 0;
    std::set<std::uint64_t> decided;
    const RawWindowCarver::Emit emit = [&](const RawCandidate& c) {
        Check(c.start != 0 && (number == 0 || c.start > lastStart));
        Check(c.end >= c.start);
        Check(c.number == ++number);
        Check((c.kind == RawStartKind::Zip) == (c.type == RawFileType::Zip));
        Check(starts.count(c.start) == 1 && decided.insert(c.start).second);
        lastStart = c.start;
    };
    std::uint64_t last = 0;
    for (std::size_t first = 0; first < sectors; first += windowSectors) {
        const std::size_t n = std::min(windowSectors, sectors - first);
        carver.Window(first, std::span<const std::byte>(disk).subspan(first * 512, n * 512), emit);
        last = first + n - 1;
    }
    carver.Finish(last, emit);
    starts.erase(0);
    Check(decided == starts);
    return 0;
}
