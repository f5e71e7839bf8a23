#include "engine/raw/MarkerSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quorvane {

namespace {

// The markers start with five distinct byte pairs: "Wo" (Word.Document),
// "W\0" (Workbook), "Mi" (the worksheet text), "P\0" (PowerPoint Document)
// and "PK" (the end-of-central-directory record). A pair test rejects all
// but about 5 in 65,536 offsets of random data; it is written without
// branches so that the compiler turns a block of it into vector code.
inline unsigned PairMayStart(unsigned a, unsigned b) {
    return ((a == 'W') & ((b == 'o') | (b == 0))) | ((a == 'M') & (b == 'i')) |
           ((a == 'P') & ((b == 0) | (b == 'K')));
}

bool MarkerAt(const unsigned char* p, std::size_t size, std::size_t offset,
              std::string_view marker) {
    return marker.size() <= size - offset &&
           std::memcmp(p + offset, marker.data(), marker.size()) == 0;
}

// Calls on(offset, entry) for every match at `offset`, in entry order.
template <class OnMatch>
void MatchesAt(const unsigned char* p, std::size_t size, std::size_t offset, OnMatch& on) {
    for (std::size_t e = 0; e < kRawEntryCount; ++e) {
        if (MarkerAt(p, size, offset, RawSignatureTable[e].marker)) {
            on(offset, e);
        }
    }
}

#if defined(__GNUC__)
// Sixteen offsets per vector with the compiler's vector types (SSE2 on x86-64,
// NEON on ARM); the same test as PairMayStart, lane by lane.
using Lanes = unsigned char __attribute__((vector_size(16)));

inline Lanes LoadLanes(const unsigned char* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Lanes PairLanes(const unsigned char* p) {
    const Lanes a = LoadLanes(p);
    const Lanes b = LoadLanes(p + 1);
    return reinterpret_cast<Lanes>(((a == 'W') & ((b == 'o') | (b == 0))) |
                                   ((a == 'M') & (b == 'i')) |
                                   ((a == 'P') & ((b == 0) | (b == 'K'))));
}

// Whether any of the 64 offsets from p may start a marker (reads p[0..64]).
inline bool AnyPairMayStart(const unsigned char* p) {
    const Lanes hit = PairLanes(p) | PairLanes(p + 16) | PairLanes(p + 32) | PairLanes(p + 48);
    std::uint64_t half[2];
    std::memcpy(half, &hit, sizeof half);
    return (half[0] | half[1]) != 0;
}
#else
inline bool AnyPairMayStart(const unsigned char* p) {
    unsigned any = 0;
    for (std::size_t j = 0; j < 64; ++j) {
        any |= PairMayStart(p[j], p[j + 1]);
    }
    return any != 0;
}
#endif

template <class OnMatch>
void Scan(std::span<const std::byte> bytes, std::size_t from, std::size_t to, OnMatch on) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < 2) {
        return;
    }
    // Offsets with a following byte; the shortest marker is longer than two.
    to = std::min(to, size - 1);
    std::size_t i = from;
    constexpr std::size_t kBlock = 64;
    while (to >= kBlock && i <= to - kBlock) {
        // The offsets [i, i + 64) read bytes up to i + 64 <= to.
        if (AnyPairMayStart(p + i)) {
            for (std::size_t j = 0; j < kBlock; ++j) {
                if (PairMayStart(p[i + j], p[i + j + 1]) != 0) {
                    MatchesAt(p, size, i + j, on);
                }
            }
        }
        i += kBlock;
    }
    for (; i < to; ++i) {
        if (PairMayStart(p[i], p[i + 1]) != 0) {
            MatchesAt(p, size, i, on);
        }
    }
}

} // namespace

LastMarkers FindLastMarkers(std::span<const std::byte> bytes, std::size_t from, std::size_t to) {
    LastMarkers last;
    last.fill(kNoMarker);
    Scan(bytes, from, to, [&last](std::size_t offset, std::size_t entry) { last[entry] = offset; });
    return last;
}

MarkerMatches FindAllMarkers(std::span<const std::byte> bytes, std::size_t from, std::size_t to) {
    MarkerMatches matches;
    Scan(bytes, from, to, [&matches](std::size_t offset, std::size_t entry) {
        matches.emplace_back(offset, entry);
    });
    return matches;
}

MarkerMatches FindAllMarkersNaive(std::span<const std::byte> bytes, std::size_t from,
                                  std::size_t to) {
    MarkerMatches matches;
    to = std::min(to, bytes.size());
    for (std::size_t c = from; c < to; ++c) {
        for (std::size_t e = 0; e < kRawEntryCount; ++e) {
            const std::string_view m = RawSignatureTable[e].marker;
            if (m.size() <= bytes.size() - c &&
                std::equal(m.begin(), m.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c),
                           [](char a, std::byte b) { return static_cast<std::byte>(a) == b; })) {
                matches.emplace_back(c, e);
            }
        }
    }
    return matches;
}

} // namespace quorvane
