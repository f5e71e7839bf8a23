#include "engine/raw/RawCopyPlan.h"

#include "engine/disk/SectorReader.h"

#include <algorithm>

namespace quorvane {

RawCopyPlan::RawCopyPlan(std::uint64_t start, std::uint64_t end, bool capped,
                         std::uint64_t atLeastSectors)
    : start_(start), end_(std::max(start, end)), capped_(capped), atLeast_(atLeastSectors),
      next_(start) {}

RawCopyPlan RawCopyPlan::Exactly(std::uint64_t start, std::uint64_t sectors) {
    RawCopyPlan plan;
    plan.start_ = start;
    plan.end_ = start;
    plan.next_ = start;
    plan.atLeast_ = sectors;
    plan.ruleDone_ = true;
    return plan;
}

bool RawCopyPlan::Extend(RawRun& run) {
    const std::uint64_t done = next_ - start_;
    if (done >= atLeast_) {
        return false;
    }
    run.first = next_;
    run.sectors =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(kRawRunSectors, atLeast_ - done));
    next_ += run.sectors;
    return true;
}

bool RawCopyPlan::Next(RawRun& run) {
    if (ruleDone_) {
        return Extend(run);
    }
    const std::uint64_t length = end_ - start_;
    if (next_ == start_) {
        // The first run is always 20 sectors; a short candidate is that run.
        run = {next_, kRawRunSectors};
        next_ += kRawRunSectors;
        lastRun_ = kRawRunSectors;
        if (length <= kRawRunSectors) {
            ruleDone_ = true;
        } else {
            extraDue_ = next_ == end_;
        }
        return true;
    }
    std::uint32_t sectors = kRawRunSectors;
    if (extraDue_) {
        sectors = lastRun_;
    } else if (end_ - next_ <= kRawRunSectors) {
        sectors = static_cast<std::uint32_t>(end_ - next_);
    }
    const std::uint64_t afterFirst = next_ - start_ - kRawRunSectors;
    const bool pastCap = (afterFirst + sectors) * kSectorSize > kRawCopyCap;
    if (capped_ && pastCap && next_ - start_ >= atLeast_) {
        ruleDone_ = true;
        return Extend(run);
    }
    run = {next_, sectors};
    next_ += sectors;
    lastRun_ = sectors;
    if (extraDue_) {
        ruleDone_ = true;
    } else {
        extraDue_ = next_ == end_;
    }
    return true;
}

} // namespace quorvane
