#include "window/status_progress.h"

#include <algorithm>
#include <cstdint>

namespace td {

StatusProgressPlan::StatusProgressPlan(int total)
    : total_(std::max(total, 1)), step_(std::max(total_ / 100, 1)) {}

int StatusProgressPlan::percent(int done) const {
    const int64_t clamped = std::clamp(done, 0, total_);
    return static_cast<int>(clamped * 100 / total_);
}

}  // namespace td
