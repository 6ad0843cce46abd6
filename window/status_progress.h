// The progress a long list operation shows in the status bar: how often it
// is worth updating and the percentage to show. Updating once per row of
// 100,000 would cost more than the work itself, so the bar moves about a
// hundred times at most.
#pragma once

namespace td {

class StatusProgressPlan {
public:
    // `total` rows (an empty list counts as one).
    explicit StatusProgressPlan(int total);
    int total() const { return total_; }
    // Rows between two updates.
    int step() const { return step_; }
    // Whether row `done` (0-based, counting up to total) shows an update.
    bool due(int done) const { return done == total_ || done % step_ == 0; }
    // The percentage shown once `done` rows are through, 0..100.
    int percent(int done) const;

private:
    int total_;
    int step_;
};

}  // namespace td
