#include "engine/raw/RawWindowCarver.h"

#include "engine/disk/SectorReader.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

std::vector<RawWindowCarver::Hit> RawWindowCarver::StartHits(std::uint64_t firstSector,
                                                             std::span<const std::byte> bytes) {
    // All kinds in one ascending pass: a ZIP that lies before a compound
    // file of the same window is a start too.
    std::vector<Hit> hits;
    for (std::size_t o = 0; o < bytes.size(); o += kSectorSize) {
        RawStartKind kind{};
        if (IsRawStartAt(bytes.subspan(o, std::min<std::size_t>(kSectorSize, bytes.size() - o)),
                         kind)) {
            hits.push_back({firstSector + o / kSectorSize, kind});
        }
    }
    return hits;
}

RawWindowCarver::EntrySectors RawWindowCarver::MarkerSectors(std::uint64_t firstSector,
                                                             std::span<const std::byte> bytes) {
    EntrySectors sectors;
    const std::uint64_t firstByte = firstSector * kSectorSize;
    // Matches that begin in the previous window's last bytes and run into
    // this one (those that fit in the previous window were counted there).
    if (seamLength_ > 0 && seamEnd_ == firstByte) {
        std::array<std::byte, 2 * kSeam> joined{};
        const std::size_t take = std::min(kSeam, bytes.size());
        std::memcpy(joined.data(), seam_.data(), seamLength_);
        std::memcpy(joined.data() + seamLength_, bytes.data(), take);
        const LastMarkers last = FindLastMarkers(
            std::span<const std::byte>(joined.data(), seamLength_ + take), 0, seamLength_);
        for (std::size_t e = 0; e < kRawEntryCount; ++e) {
            if (last[e] != kNoMarker) {
                sectors[e] = (seamFirstByte_ + last[e]) / kSectorSize;
            }
        }
    }
    const LastMarkers last = FindLastMarkers(bytes);
    for (std::size_t e = 0; e < kRawEntryCount; ++e) {
        if (last[e] != kNoMarker) {
            sectors[e] = firstSector + last[e] / kSectorSize;
        }
    }
    seamLength_ = std::min(kSeam, bytes.size());
    std::memcpy(seam_.data(), bytes.data() + bytes.size() - seamLength_, seamLength_);
    seamFirstByte_ = firstByte + bytes.size() - seamLength_;
    seamEnd_ = firstByte + bytes.size();
    return sectors;
}

std::optional<RawCandidate> RawWindowCarver::EndOf(const Hit& hit,
                                                   std::optional<std::uint64_t> next,
                                                   const EntrySectors& markers) const {
    std::array<std::optional<std::uint64_t>, kRawEntryCount> ends;
    std::array<bool, kRawEntryCount> inside{};
    const RawEntryRange entries = EntriesOf(hit.kind);
    for (std::size_t e = entries.first; e <= entries.last; ++e) {
        const std::optional<std::uint64_t> v = markers[e];
        // Matches at or before the run's last end belong to files already
        // written; matches before the start to something else.
        if (!v || *v <= lastEnd_ || *v < hit.sector) {
            continue;
        }
        inside[e] = !next || *v <= *next;
        ends[e] = inside[e] ? *v : *next - 1;
    }
    // A match past the next start is the next file's: it bounds the end,
    // but the type is taken from a match inside this file when there is one.
    const bool anyInside = std::any_of(inside.begin(), inside.end(), [](bool b) { return b; });
    const auto usable = [&](std::size_t e) { return ends[e] && (inside[e] || !anyInside); };
    std::optional<std::size_t> chosen;
    for (std::size_t e = 0; e < 3; ++e) {
        if (usable(e) && (!chosen || *ends[e] < *ends[*chosen])) {
            chosen = e;
        }
    }
    for (std::size_t e = 3; !chosen && e < kRawEntryCount; ++e) {
        if (usable(e)) {
            chosen = e;
        }
    }
    if (!chosen) {
        return std::nullopt;
    }
    RawCandidate c;
    c.start = hit.sector;
    c.end = *ends[*chosen];
    c.kind = hit.kind;
    c.type = RawSignatureTable[*chosen].type;
    c.markerEnded = true;
    return c;
}

void RawWindowCarver::Decide(RawCandidate candidate, const Emit& emit) {
    lastEnd_ = std::max(lastEnd_, candidate.end);
    if (candidate.start == 0) {
        return;
    }
    candidate.number = ++number_;
    emit(candidate);
}

namespace {

RawCandidate EndedBefore(const RawWindowCarver::Hit& hit, std::uint64_t next) {
    RawCandidate c;
    c.start = hit.sector;
    c.end = std::max(hit.sector, next - 1);
    c.kind = hit.kind;
    c.type = DefaultTypeOf(hit.kind);
    return c;
}

} // namespace

void RawWindowCarver::Window(std::uint64_t firstSector, std::span<const std::byte> bytes,
                             const Emit& emit) {
    std::vector<Hit> hits = StartHits(firstSector, bytes);
    hits.erase(std::remove_if(hits.begin(), hits.end(),
                              [this](const Hit& h) { return h.sector >= rangeEnd_; }),
               hits.end());
    const EntrySectors markers = MarkerSectors(firstSector, bytes);

    if (carried_) {
        const std::optional<std::uint64_t> first =
            hits.empty() ? std::nullopt : std::optional<std::uint64_t>(hits.front().sector);
        if (std::optional<RawCandidate> ended = EndOf(*carried_, first, markers)) {
            Decide(*ended, emit);
            carried_.reset();
        } else if (first) {
            Decide(EndedBefore(*carried_, *first), emit);
            carried_.reset();
        } else {
            return; // no start and no marker here: carried on
        }
    }
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const std::optional<std::uint64_t> next =
            i + 1 < hits.size() ? std::optional<std::uint64_t>(hits[i + 1].sector) : std::nullopt;
        if (std::optional<RawCandidate> ended = EndOf(hits[i], next, markers)) {
            Decide(*ended, emit);
        } else if (next) {
            Decide(EndedBefore(hits[i], *next), emit);
        } else {
            carried_ = hits[i];
        }
    }
}

void RawWindowCarver::Finish(std::uint64_t lastSector, const Emit& emit) {
    if (carried_) {
        Decide(EndedBefore(*carried_, std::max(lastSector, carried_->sector) + 1), emit);
        carried_.reset();
    }
}

void RawWindowCarver::Reset() {
    carried_.reset();
    seamLength_ = 0;
}

} // namespace quorvane
