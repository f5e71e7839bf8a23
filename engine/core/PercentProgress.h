#pragma once

#include "engine/core/UserInterface.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

// The text after the percentage on the progress bar.
inline constexpr std::string_view kPercentCompleted = "% Completed";

// done * 100 / total, at most 100, and 100 when total is 0; no overflow for
// any pair of 64-bit counts.
int PercentOf(std::uint64_t done, std::uint64_t total);

// The progress bar of a long loop: the percentage and its text, passed on only
// when the percentage moves, so that a sink is not called once per row or
// sector of a large job.
class PercentProgress {
public:
    explicit PercentProgress(ProgressSink& sink, std::string_view suffix = kPercentCompleted)
        : sink_(sink), suffix_(suffix) {}

    void Report(std::uint64_t done, std::uint64_t total) {
        const int p = PercentOf(done, total);
        if (p != last_) {
            Force(p);
        }
    }
    // Shows `percent` even when it has not moved.
    void Force(int percent) {
        last_ = percent;
        sink_.SetProgress(percent, std::to_string(percent) + suffix_);
    }

private:
    ProgressSink& sink_;
    std::string suffix_;
    int last_ = -1;
};

} // namespace quorvane
