#pragma once

#include "engine/raw/MarkerSearch.h"
#include "engine/raw/RawSignatures.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace quorvane {

// The window of raw recovery: 800 sectors (409,600 bytes).
inline constexpr std::uint32_t kRawWindowSectors = 800;

// A file found by its start signature whose end is now decided.
struct RawCandidate {
    std::uint64_t start = 0;
    std::uint64_t end = 0; // the last sector the end rule gives (inclusive)
    RawStartKind kind = RawStartKind::Compound;
    RawFileType type = RawFileType::Word;
    bool markerEnded = false; // a marker decided the end and the type
    std::uint64_t number = 0; // the candidate number of the run, from 1
};

// The part of raw recovery that decides, from the bytes of consecutive
// windows, where files start, where they end and what they are. It reads
// nothing itself: whoever reads the disk hands it the windows in order, so
// it runs over byte buffers alone (tests, fuzzing) as over a disk.
//
// Per window: the start hits are the sectors that begin with a start
// signature, in ascending order, each once. Each candidate is ended by the
// markers of its own kind (a compound file by entries 0 to 3, an Excel 5.0
// start by entry 4, a ZIP by entry 5): per entry the last match in the
// window that lies after the run's last end and not before the candidate;
// a match past the next start ends the candidate at the sector before that
// start. The smallest end of entries 0 to 2 wins, else entry 3, 4 or 5.
//
// Across windows, the bookkeeping is this:
// - Candidates are decided strictly in start order, and every start hit is
//   decided exactly once: windows never overlap and no window is read again,
//   so no start can be written twice.
// - A candidate with no accepted marker in its window ends at the sector
//   before the next start when that start lies in the same window (a file
//   cannot be told to go on past another file's start). Only the last
//   candidate of a window can find neither; it is carried: the next windows
//   look for its markers, before their own candidates, by the same rule
//   with the window's first start as its next start; when a window has a
//   start but no accepted match, it ends at the sector before that start. A window with neither
//   carries it on; Finish() ends it at the last sector read. One slot is enough, because a carried
//   candidate is always decided before the next window's own candidates can need carrying.
// - Markers are searched across the seam of two windows too: the last bytes
//   of the previous window (one marker length less one) are kept, so a
//   marker that straddles the seam counts, for the new window, as a match in
//   the previous window's last sector.
// - Candidates at sector 0 are decided (their end bounds later matches) but
//   never numbered nor handed on.
class RawWindowCarver {
public:
    using Emit = std::function<void(const RawCandidate&)>;

    // Start hits at or beyond `rangeEnd` are not candidates (their sectors
    // may still end one that started before).
    explicit RawWindowCarver(std::uint64_t rangeEnd) : rangeEnd_(rangeEnd) {}

    // The bytes of the sectors from `firstSector` on (normally 800 sectors;
    // a short last window is fine). Calls `emit` for each decided candidate.
    void Window(std::uint64_t firstSector, std::span<const std::byte> bytes, const Emit& emit);
    // The end of the range: a carried candidate ends at `lastSector`.
    void Finish(std::uint64_t lastSector, const Emit& emit);
    // The stop's reset: forgets the carried candidate and the seam.
    void Reset();

    bool Carrying() const { return carried_.has_value(); }
    std::uint64_t LastEnd() const { return lastEnd_; }
    std::uint64_t Candidates() const { return number_; }

    struct Hit {
        std::uint64_t sector = 0;
        RawStartKind kind = RawStartKind::Compound;
    };
    // The start hits of a window, ascending (exposed for the tests).
    static std::vector<Hit> StartHits(std::uint64_t firstSector, std::span<const std::byte> bytes);

private:
    // The last matching sector of each entry in the current window.
    using EntrySectors = std::array<std::optional<std::uint64_t>, kRawEntryCount>;
    EntrySectors MarkerSectors(std::uint64_t firstSector, std::span<const std::byte> bytes);
    std::optional<RawCandidate> EndOf(const Hit& hit, std::optional<std::uint64_t> next,
                                      const EntrySectors& markers) const;
    void Decide(RawCandidate candidate, const Emit& emit);

    std::uint64_t rangeEnd_;
    std::optional<Hit> carried_;
    std::uint64_t lastEnd_ = 0;
    std::uint64_t number_ = 0;
    // The previous window's last bytes, for markers across the seam.
    std::array<std::byte, kLongestMarker - 1> seam_{};
    std::size_t seamLength_ = 0;
    std::uint64_t seamFirstByte_ = 0; // disk byte of seam_[0]
    std::uint64_t seamEnd_ = 0;       // disk byte after the previous window

public:
    static constexpr std::size_t kSeam = kLongestMarker - 1;
};

} // namespace quorvane
