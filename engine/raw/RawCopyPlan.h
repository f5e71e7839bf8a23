#pragma once

#include <cstdint>

namespace quorvane {

inline constexpr std::uint32_t kRawRunSectors = 20;
// Word, Excel and PowerPoint copies end before a run that would bring the
// bytes written after the first run past this, unless the file's own
// structure gives its size.
inline constexpr std::uint64_t kRawCopyCap = 5'242'880;

struct RawRun {
    std::uint64_t first = 0;
    std::uint32_t sectors = 0;
};

// The runs in which a candidate is copied from the disk, one at a time.
//
// With L = end - start: L <= 20 copies one run of 20 sectors. Otherwise the
// first run is 20 sectors; each next run starts where the last one ended and
// is 20 sectors, or what remains up to the end when that is 1 to 20; after
// the run that ends exactly at the end sector, one further run of the same
// length is copied. With `capped`, the copy ends before a run that would
// bring the bytes after the first run past kRawCopyCap.
//
// `atLeastSectors` is the length the file's own structure gives (0: none):
// the cap never cuts below it, and runs of up to 20 sectors are added when
// the rule above ends short of it.
class RawCopyPlan {
public:
    RawCopyPlan(std::uint64_t start, std::uint64_t end, bool capped,
                std::uint64_t atLeastSectors = 0);
    // Exactly `sectors` sectors from `start`, in runs of up to 20.
    static RawCopyPlan Exactly(std::uint64_t start, std::uint64_t sectors);

    // The next run; false when the copy is complete.
    bool Next(RawRun& run);

private:
    RawCopyPlan() = default;
    bool Extend(RawRun& run);

    std::uint64_t start_ = 0;
    std::uint64_t end_ = 0;
    bool capped_ = false;
    std::uint64_t atLeast_ = 0;
    std::uint64_t next_ = 0;    // first sector of the next run
    std::uint32_t lastRun_ = 0; // length of the previous run
    bool ruleDone_ = false;     // the rule above has no more runs
    bool extraDue_ = false;     // the run after the end is next
};

} // namespace quorvane
