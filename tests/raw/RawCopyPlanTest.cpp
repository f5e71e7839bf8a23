#include "engine/raw/RawCopyPlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

std::vector<std::uint32_t> Runs(RawCopyPlan plan, std::uint64_t start) {
    std::vector<std::uint32_t> runs;
    RawRun run;
    std::uint64_t next = start;
    while (plan.Next(run) && runs.size() < 100000) {
        EXPECT_EQ(run.first, next); // runs follow each other
        next += run.sectors;
        runs.push_back(run.sectors);
    }
    return runs;
}

std::uint64_t Total(const std::vector<std::uint32_t>& runs) {
    std::uint64_t total = 0;
    for (auto r : runs) {
        total += r;
    }
    return total;
}

TEST(RawCopyPlanTest, RunsOfTwentyWithOneExtraRun) {
    const struct {
        std::uint64_t length;
        std::vector<std::uint32_t> runs;
    } cases[] = {
        {0, {20}},
        {5, {20}},
        {20, {20}},
        {21, {20, 1, 1}},
        {40, {20, 20, 20}},
        {50, {20, 20, 10, 10}},
        {61, {20, 20, 20, 1, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Runs(RawCopyPlan(1000, 1000 + c.length, true), 1000), c.runs) << c.length;
    }
}

TEST(RawCopyPlanTest, CapStopsCompoundCopiesButNotBelowTheirOwnLength) {
    // Capped: the first run, then whole runs while the bytes after the first
    // run stay within 5 MiB (512 runs of 20 sectors).
    const auto capped = Runs(RawCopyPlan(0, 30000, true), 0);
    EXPECT_EQ(Total(capped) * 512, 10240 + kRawCopyCap);
    // A ZIP is not capped: up to the end and the extra run.
    EXPECT_EQ(Total(Runs(RawCopyPlan(0, 30000, false), 0)), 30020u);
    // A length from the file's structure: the cap does not cut below it...
    EXPECT_GE(Total(Runs(RawCopyPlan(0, 30000, true, 14000), 0)), 14000u);
    EXPECT_LT(Total(Runs(RawCopyPlan(0, 30000, true, 14000), 0)), 14020u);
    // ...and a copy rule that ends short of it is extended to it.
    EXPECT_EQ(Total(Runs(RawCopyPlan(0, 50, true, 100), 0)), 100u);
    EXPECT_EQ(Total(Runs(RawCopyPlan(0, 50, true, 10), 0)), 60u);
    EXPECT_EQ(Runs(RawCopyPlan::Exactly(7, 45), 7), (std::vector<std::uint32_t>{20, 20, 5}));
}

} // namespace
} // namespace quorvane
