#include "engine/raw/MarkerSearch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace quorvane {
namespace {

// Random bytes drawn mostly from the markers' own letters, with whole and
// cut-off markers planted at random offsets (also at both ends).
std::vector<std::byte> RandomBuffer(std::mt19937& rng, std::size_t size) {
    static constexpr std::string_view kLetters = "WoMiPK\0\x05\x06rdbc."sv;
    std::vector<std::byte> bytes(size);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    const bool letters = rng() % 2 == 0;
    for (auto& b : bytes) {
        b = static_cast<std::byte>(letters ? kLetters[letter(rng)] : any(rng));
    }
    const std::size_t plants = size / 64 + 2;
    for (std::size_t k = 0; k < plants && size > 0; ++k) {
        const std::string_view m = RawSignatureTable[rng() % kRawEntryCount].marker;
        std::size_t at = rng() % size;
        if (k == 0) {
            at = 0;
        } else if (k == 1) {
            at = size > m.size() ? size - m.size() : 0; // ends at the last byte
        }
        const std::size_t n = std::min(m.size() - (rng() % 3 == 0 ? 1 : 0), size - at);
        std::memcpy(bytes.data() + at, m.data(), n);
    }
    return bytes;
}

TEST(MarkerSearchTest, FastSearchFindsWhatAPlainComparisonFinds) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        const std::size_t size = round < 100 ? static_cast<std::size_t>(round) : rng() % 5000;
        const std::vector<std::byte> bytes = RandomBuffer(rng, size);
        const std::size_t from = size > 0 && round % 3 == 0 ? rng() % size : 0;
        const std::size_t to = round % 4 == 0 ? from + rng() % (size + 1) : kNoMarker;
        const MarkerMatches naive = FindAllMarkersNaive(bytes, from, to);
        ASSERT_EQ(FindAllMarkers(bytes, from, to), naive) << "round " << round;
        LastMarkers last;
        last.fill(kNoMarker);
        for (const auto& [offset, entry] : naive) {
            last[entry] = offset;
        }
        ASSERT_EQ(FindLastMarkers(bytes, from, to), last) << "round " << round;
    }
}

TEST(MarkerSearchTest, SharedMarkerCountsForBothEntries) {
    std::vector<std::byte> bytes(100);
    std::memcpy(bytes.data() + 30, kExcelWorksheetMarker.data(), kExcelWorksheetMarker.size());
    const MarkerMatches expected = {{30, 2}, {30, 4}};
    EXPECT_EQ(FindAllMarkers(bytes), expected);
}

} // namespace
} // namespace quorvane
