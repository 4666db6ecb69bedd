#include "two_phase_progress.h"

#include <algorithm>

namespace splitwick {

int64_t TwoPhaseProgress::ofDemux(int64_t position, int64_t size) {
    return size > 0 ? std::clamp<int64_t>(position * (Whole / 2) / size, 0, Whole / 2) : 0;
}

int64_t TwoPhaseProgress::ofMux(int percent) {
    return Whole / 2 + std::clamp<int64_t>(percent, 0, 100) * (Whole / 2) / 100;
}

std::string TwoPhaseProgress::text(int64_t done) const {
    return target_ + " " + std::to_string(done * 100 / Whole) +
           " %, Remaining time: " + clock_.remaining(done, Whole);
}

} // namespace splitwick
