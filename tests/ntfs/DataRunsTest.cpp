#include "engine/ntfs/DataRuns.h"
#include "tests/ntfs/CraftedRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane {

bool operator==(const DataRun& a, const DataRun& b) {
    return a.startCluster == b.startCluster && a.clusterCount == b.clusterCount &&
           a.sparse == b.sparse;
}
void PrintTo(const DataRun& r, std::ostream* os) {
    *os << "{" << r.startCluster << ", " << r.clusterCount << (r.sparse ? ", sparse}" : "}");
}

namespace {

using test::Bytes;

constexpr std::uint64_t kLargeVolume = std::uint64_t{1} << 40;

DataRun Run(std::uint64_t start, std::uint64_t count) {
    return {start, count, false};
}
DataRun Sparse(std::uint64_t count) {
    return {0, count, true};
}

struct RunCase {
    const char* what;
    std::vector<std::byte> bytes;
    std::vector<DataRun> runs;
    RunListEnd end;
    std::uint64_t volumeClusters = kLargeVolume;
};
void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.what;
}

class RunLists : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunLists, Decode) {
    const RunCase& c = GetParam();
    const DecodedRunList d = DecodeRunBytes(c.bytes, c.volumeClusters);
    EXPECT_EQ(d.list.runs, c.runs);
    EXPECT_EQ(d.end, c.end);
    EXPECT_EQ(d.Decoded(), !c.runs.empty() || c.end == RunListEnd::EndMarker);
}

INSTANTIATE_TEST_SUITE_P(
    DataRuns, RunLists,
    ::testing::Values(
        // The first run's 3-byte start 0x00 0x10 0x20 is 0x201000; 0xF0 is -16.
        RunCase{"TwoRunsWithABackwardDelta",
                Bytes({0x31, 0x10, 0x00, 0x10, 0x20, 0x11, 0x08, 0xF0, 0x00}),
                {Run(0x201000, 16), Run(0x201000 - 16, 8)},
                RunListEnd::EndMarker},
        // 0x80 0x7F: the top bit of 0x7F is clear, so the delta is +0x7F80.
        RunCase{"TwoByteDeltaWithClearTopBit",
                Bytes({0x11, 0x04, 0x10, 0x21, 0x02, 0x80, 0x7F, 0x00}),
                {Run(16, 4), Run(16 + 0x7F80, 2)},
                RunListEnd::EndMarker},
        RunCase{"SparseRunKeptAndSkippedByTheNextDelta",
                Bytes({0x11, 0x04, 0x20, 0x01, 0x10, 0x11, 0x02, 0x08, 0x00}),
                {Run(32, 4), Sparse(16), Run(40, 2)},
                RunListEnd::EndMarker},
        RunCase{"SparseFirstRunThenAnAbsoluteStart",
                Bytes({0x01, 0x08, 0x11, 0x02, 0x30, 0x00}),
                {Sparse(8), Run(0x30, 2)},
                RunListEnd::EndMarker},
        RunCase{"SparseRunOfMoreThanFourGiB",
                Bytes({0x11, 0x01, 0x40, 0x04, 0x00, 0x00, 0x14, 0x00, 0x00}),
                {Run(0x40, 1), Sparse(0x140000)},
                RunListEnd::EndMarker},
        RunCase{"EightByteFields",
                Bytes({0x88, 0, 0, 0, 0, 1, 0, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0x00}),
                {Run(0x10, std::uint64_t{1} << 32)},
                RunListEnd::EndMarker},
        RunCase{
            "NegativeFourByteDelta",
            Bytes({0x41, 0x01, 0x00, 0x00, 0x00, 0x01, 0x41, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}),
            {Run(0x01000000, 1), Run(0x00FFFFFF, 1)},
            RunListEnd::EndMarker},
        RunCase{"NegativeEightByteDelta",
                Bytes({0x11, 0x01, 0x10, 0x81, 0x01, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                       0x00}),
                {Run(0x10, 1), Run(0x08, 1)},
                RunListEnd::EndMarker},
        RunCase{"RunBeyondTheVolumeEndsTheList",
                Bytes({0x11, 0x04, 0x10, 0x11, 0x08, 0x70, 0x00}),
                {Run(0x10, 4)},
                RunListEnd::LeavesVolume,
                0x80 + 7},
        RunCase{"FirstRunBeyondTheVolume",
                Bytes({0x21, 0x04, 0x00, 0x10, 0x00}),
                {},
                RunListEnd::LeavesVolume,
                0x1000},
        RunCase{"DeltaBeforeClusterZero",
                Bytes({0x11, 0x01, 0x05, 0x11, 0x01, 0xF0, 0x00}),
                {Run(5, 1)},
                RunListEnd::LeavesVolume},
        RunCase{"StartFieldOfNineBytes",
                Bytes({0x11, 0x01, 0x05, 0x91, 0x01}),
                {Run(5, 1)},
                RunListEnd::FieldTooWide},
        RunCase{"LengthFieldOfNineBytes",
                Bytes({0x19, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x10}),
                {},
                RunListEnd::FieldTooWide},
        RunCase{"RunOfLengthZero",
                Bytes({0x11, 0x01, 0x05, 0x10, 0x05, 0x00}),
                {Run(5, 1)},
                RunListEnd::BadRun},
        RunCase{"LengthsThatOverflow",
                Bytes({0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x00}),
                {Sparse(~std::uint64_t{0})},
                RunListEnd::BadRun},
        RunCase{"RunCutByTheEndOfTheRecord", Bytes({0x31, 0x10, 0x00}), {}, RunListEnd::Truncated},
        RunCase{"NoEndMarkerBeforeTheEnd",
                Bytes({0x11, 0x01, 0x05}),
                {Run(5, 1)},
                RunListEnd::Truncated},
        RunCase{"EndMarkerAtOnce", Bytes({0x00}), {}, RunListEnd::EndMarker},
        RunCase{"NothingToDecode", {}, {}, RunListEnd::NoRunList}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(DataRuns, FoundThroughTheAttributesRunOffset) {
    test::CraftedRecord r;
    const std::size_t at =
        r.NonResident(0x80, Bytes({0x31, 0x10, 0x00, 0x10, 0x20, 0x11, 0x08, 0xF0}), 24 * 4096);
    const DecodedRunList d = DecodeDataRuns(r.View(), at, kLargeVolume);
    EXPECT_EQ(d.list.Count(), 2u);
    EXPECT_EQ(d.list.TotalClusters(), 24u);
    EXPECT_EQ(d.end, RunListEnd::EndMarker);

    r.Put(at + 0x20, 0xFFF0, 2); // the run list would start past the record
    EXPECT_FALSE(DecodeDataRuns(r.View(), at, kLargeVolume).Decoded());
    EXPECT_EQ(DecodeDataRuns(r.View(), at, kLargeVolume).end, RunListEnd::NoRunList);
}

TEST(DataRuns, FirstRunStartIsUnsigned) {
    EXPECT_EQ(FirstRunStart(Bytes({0x11, 0x01, 0xF0})), 0xF0u);
    EXPECT_EQ(FirstRunStart(Bytes({0x01, 0x01})), 0u);       // sparse
    EXPECT_EQ(FirstRunStart(Bytes({0x00})), 0u);             // empty list
    EXPECT_EQ(FirstRunStart(Bytes({0x31, 0x01, 0x10})), 0u); // cut short
}

} // namespace
} // namespace quorvane
