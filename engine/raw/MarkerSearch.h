#pragma once

#include "engine/raw/RawSignatures.h"

#include <array>
#include <cstddef>
#include <limits>
#include <span>
#include <utility>
#include <vector>

namespace quorvane {

// The markers of RawSignatureTable looked for at every byte offset. A match
// is a marker that lies whole inside the buffer and starts in [from, to).

inline constexpr std::size_t kNoMarker = std::numeric_limits<std::size_t>::max();
inline constexpr std::size_t kLongestMarker = kPowerPointMarker.size();

// The offset of the last match of each table entry's marker (entries 2 and 4
// share theirs), or kNoMarker.
using LastMarkers = std::array<std::size_t, kRawEntryCount>;
LastMarkers FindLastMarkers(std::span<const std::byte> bytes, std::size_t from = 0,
                            std::size_t to = kNoMarker);

// Every match as (offset, table entry), ascending by offset and then entry:
// the fast search and a plain one that compares at every offset, which the
// tests and the fuzz target hold against each other.
using MarkerMatches = std::vector<std::pair<std::size_t, std::size_t>>;
MarkerMatches FindAllMarkers(std::span<const std::byte> bytes, std::size_t from = 0,
                             std::size_t to = kNoMarker);
MarkerMatches FindAllMarkersNaive(std::span<const std::byte> bytes, std::size_t from = 0,
                                  std::size_t to = kNoMarker);

} // namespace quorvane
