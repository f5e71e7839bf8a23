#include "engine/ntfs/DataRuns.h"

#include "engine/core/ByteView.h"

namespace quorvane {

namespace {

constexpr std::size_t kRunOffsetField = 0x20; // in the non-resident attribute header
constexpr unsigned kMaxFieldWidth = 8;

// The fields of the run whose header byte is at `at`.
struct RunFields {
    unsigned lengthWidth = 0;
    unsigned startWidth = 0;
    std::size_t size = 0; // header byte plus both fields
};

RunFields FieldsAt(ByteView b, std::size_t at) {
    const std::uint8_t h = b.U8(at);
    RunFields f;
    f.lengthWidth = h & 0x0F;
    f.startWidth = h >> 4;
    f.size = 1 + f.lengthWidth + f.startWidth;
    return f;
}

std::uint64_t Unsigned(ByteView b, std::size_t at, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
        value |= static_cast<std::uint64_t>(b.U8(at + i)) << (8 * i);
    }
    return value;
}

std::int64_t Signed(ByteView b, std::size_t at, unsigned width) {
    std::uint64_t value = Unsigned(b, at, width);
    if (width > 0 && width < 8 && (value >> (8 * width - 1)) != 0) {
        value |= ~std::uint64_t{0} << (8 * width);
    }
    return static_cast<std::int64_t>(value);
}

} // namespace

std::uint64_t RunList::TotalClusters() const {
    std::uint64_t total = 0;
    for (const DataRun& run : runs) {
        total += run.clusterCount; // the decoder refuses sums that overflow
    }
    return total;
}

DecodedRunList DecodeRunBytes(std::span<const std::byte> bytes, std::uint64_t volumeClusters) {
    const ByteView b(bytes);
    DecodedRunList out;
    if (bytes.empty()) {
        return out;
    }
    std::uint64_t previousStart = 0;
    bool first = true;
    std::uint64_t total = 0;
    // Every run takes at least one byte, so the loop ends within bytes.size() steps.
    for (std::size_t at = 0;;) {
        if (at >= bytes.size()) {
            out.end = RunListEnd::Truncated;
            return out;
        }
        if (b.U8(at) == 0) {
            out.end = RunListEnd::EndMarker;
            return out;
        }
        const RunFields f = FieldsAt(b, at);
        if (f.lengthWidth > kMaxFieldWidth || f.startWidth > kMaxFieldWidth) {
            out.end = RunListEnd::FieldTooWide;
            return out;
        }
        if (!b.Has(at, f.size)) {
            out.end = RunListEnd::Truncated;
            return out;
        }
        DataRun run;
        run.clusterCount = Unsigned(b, at + 1, f.lengthWidth);
        if (run.clusterCount == 0 || run.clusterCount > ~std::uint64_t{0} - total) {
            out.end = RunListEnd::BadRun;
            return out;
        }
        const std::size_t startAt = at + 1 + f.lengthWidth;
        if (f.startWidth == 0) {
            run.sparse = true;
        } else {
            std::uint64_t start = 0;
            if (first) {
                start = Unsigned(b, startAt, f.startWidth);
            } else {
                const std::int64_t delta = Signed(b, startAt, f.startWidth);
                // previous + delta must stay within 0 .. volumeClusters; written
                // so that neither side can overflow.
                if (delta < 0) {
                    const std::uint64_t back = 0 - static_cast<std::uint64_t>(delta);
                    if (back > previousStart) {
                        out.end = RunListEnd::LeavesVolume;
                        return out;
                    }
                    start = previousStart - back;
                } else {
                    const auto forward = static_cast<std::uint64_t>(delta);
                    if (forward > volumeClusters - previousStart) {
                        out.end = RunListEnd::LeavesVolume;
                        return out;
                    }
                    start = previousStart + forward;
                }
            }
            if (start > volumeClusters || run.clusterCount > volumeClusters - start) {
                out.end = RunListEnd::LeavesVolume;
                return out;
            }
            run.startCluster = start;
            previousStart = start;
            first = false;
        }
        total += run.clusterCount;
        out.list.runs.push_back(run);
        at += f.size;
    }
}

DecodedRunList DecodeDataRuns(std::span<const std::byte> record, std::size_t attributeOffset,
                              std::uint64_t volumeClusters) {
    const ByteView b(record);
    const std::uint64_t at =
        static_cast<std::uint64_t>(attributeOffset) + b.U16(attributeOffset + kRunOffsetField);
    if (at >= record.size()) {
        return {};
    }
    return DecodeRunBytes(record.subspan(static_cast<std::size_t>(at)), volumeClusters);
}

std::uint64_t FirstRunStart(std::span<const std::byte> bytes) {
    const ByteView b(bytes);
    if (b.U8(0) == 0) {
        return 0;
    }
    const RunFields f = FieldsAt(b, 0);
    if (f.lengthWidth > kMaxFieldWidth || f.startWidth > kMaxFieldWidth || !b.Has(0, f.size)) {
        return 0;
    }
    return Unsigned(b, 1 + f.lengthWidth, f.startWidth);
}

} // namespace quorvane
