#include "engine/core/PercentProgress.h"

#include <algorithm>
#include <limits>

namespace quorvane {

int PercentOf(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) {
        return 100;
    }
    const std::uint64_t p = total > std::numeric_limits<std::uint64_t>::max() / 100
                                ? done / (total / 100)
                                : done * 100 / total;
    return static_cast<int>(std::min<std::uint64_t>(p, 100));
}

} // namespace quorvane
