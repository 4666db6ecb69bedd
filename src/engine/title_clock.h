#pragma once
#include <cstdint>
#include <optional>

#include "stream_timing.h"

namespace splitwick {

// Maps the PTS of the part being scanned onto the title's timeline: ticks since video stream
// 0's first presented picture in the first part. A later part begins where the video of the
// part before ended, as its streams go on in the same files, or where its seam puts it.
class TitleClock {
  public:
    // The part's first presented picture, once known.
    void settle(int64_t referencePts) { reference_ = referencePts; }
    // The part begins this many ticks into the title instead, as its seam decides.
    void startAt(int64_t ticks) { offset_ = ticks; }
    // Where the part begins on the title's timeline.
    int64_t start() const { return offset_; }
    bool settled() const { return reference_.has_value(); }
    // None until the part's reference is settled.
    std::optional<int64_t> ticks(int64_t pts) const {
        if (!reference_) return std::nullopt;
        return offset_ + ptsDifference(pts, *reference_);
    }
    // The part is done: the next begins where its video ended, unless its seam says otherwise
    // (startAt).
    void endPart(const PartTiming& part) {
        if (part.referencePts && part.videoEndPts)
            offset_ += ptsDifference(*part.videoEndPts, *part.referencePts);
        reference_.reset();
    }

  private:
    std::optional<int64_t> reference_;
    int64_t offset_ = 0;
};

} // namespace splitwick
