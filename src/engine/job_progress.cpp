#include "job_progress.h"

#include <algorithm>

namespace splitwick {

void JobProgress::fileStarted(int64_t size) {
    before_ += current_;
    current_ = size;
    // A file that grew since the job counted it must not push the bar past its end.
    total_ = std::max(total_, before_ + current_);
}

int64_t JobProgress::done(int64_t position) const {
    return before_ + std::clamp<int64_t>(position, 0, current_);
}

std::string JobProgress::remaining(int64_t done) const {
    if (done >= total_) return "";
    return clock_.remaining(done, total_);
}

} // namespace splitwick
