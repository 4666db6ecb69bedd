#include "block_times.h"

#include <algorithm>

namespace splitwick {

std::optional<BlockTime> BlockTimes::next(std::optional<int64_t> pts, std::optional<int64_t> dts,
                                          int64_t samplesTicks,
                                          std::optional<int64_t> framesShownAfter) {
    ++framesSinceStamped_;
    BlockTime time{};
    if (pts) {
        time.dts = dts.value_or(*pts);
        // Frames between two stamped ones share the step evenly.
        if (video_ && lastStamped_ && time.dts > *lastStamped_)
            step_ = (time.dts - *lastStamped_) / framesSinceStamped_;
        lastStamped_ = time.dts;
        framesSinceStamped_ = 0;
        time.pts = *pts + jump_;
        time.dts += jump_;
    } else if (last_) {
        time.dts = last_->dts + last_->duration;
        time.pts =
            time.dts + (framesShownAfter ? *framesShownAfter * step_ : last_->pts - last_->dts);
    } else if (video_) {
        time.dts = -step_;
        time.pts = time.dts + framesShownAfter.value_or(1) * step_;
    } else {
        return std::nullopt;
    }
    time.duration = video_ ? step_ : samplesTicks;
    if (last_ && time.dts <= last_->dts) {
        const int64_t back = last_->dts + std::max<int64_t>(last_->duration, 1) - time.dts;
        jump_ += back;
        time.dts += back;
        time.pts += back;
    }
    time.pts = std::max(time.pts, time.dts);
    last_ = time;
    return time;
}

} // namespace splitwick
