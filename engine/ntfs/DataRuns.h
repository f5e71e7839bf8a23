#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvane {

// One data run of a non-resident attribute.
struct DataRun {
    std::uint64_t startCluster = 0; // absolute; 0 for a sparse run
    std::uint64_t clusterCount = 0;
    bool sparse = false; // no clusters on disk: the run reads as zeros
};

// The runs of one attribute in disk order.
struct RunList {
    std::vector<DataRun> runs;

    std::size_t Count() const { return runs.size(); }
    std::uint64_t TotalClusters() const;
};

// Why decoding stopped.
enum class RunListEnd {
    EndMarker,    // a header byte 0: the list is complete
    NoRunList,    // the run list starts at or beyond the end of the record
    Truncated,    // a run's fields go past the end of the record
    FieldTooWide, // a length or start field wider than 8 bytes
    BadRun,       // a run of length 0, or lengths whose sum overflows
    LeavesVolume, // a run would start before cluster 0 or end beyond the volume
};

struct DecodedRunList {
    RunList list;
    RunListEnd end = RunListEnd::NoRunList;

    // At least one run was decoded, or the end marker was met.
    bool Decoded() const { return !list.runs.empty() || end == RunListEnd::EndMarker; }
};

// Decodes a run list starting at its first header byte. Each run is a header
// byte h, (h & 0x0F) bytes of length and (h >> 4) bytes of start field, both
// little-endian and up to 8 bytes wide. The first run's start is read unsigned;
// every later one is a signed delta from the previous run that has a start.
// A start field of width 0 makes a sparse run. Decoding ends at the end marker
// or at the first run that cannot be taken (see RunListEnd); the runs before
// it are kept. No run may reach beyond `volumeClusters`.
DecodedRunList DecodeRunBytes(std::span<const std::byte> bytes, std::uint64_t volumeClusters);

// The run list of the non-resident attribute at `attributeOffset` of a record,
// found through the 16-bit run offset at attribute + 0x20.
DecodedRunList DecodeDataRuns(std::span<const std::byte> record, std::size_t attributeOffset,
                              std::uint64_t volumeClusters);

// The first run's start field read as an unsigned number; 0 when the list
// ends at once, the first run is sparse or its fields do not fit.
std::uint64_t FirstRunStart(std::span<const std::byte> bytes);

} // namespace quorvane
