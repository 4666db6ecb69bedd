#include "file_progress.h"

#include <algorithm>

namespace splitwick {

std::string FileProgress::text(int64_t position, int64_t size) const {
    const int64_t done = size > 0 ? std::clamp<int64_t>(position, 0, size) : 0;
    const int64_t whole = std::max<int64_t>(size, 1);
    const std::string percent = target_ + " " + std::to_string(done * 100 / whole) + " %";
    // At its end nothing is left to wait for.
    if (done == whole) return percent;
    return percent + ", Remaining time: " + clock_.remaining(done, whole);
}

} // namespace splitwick
