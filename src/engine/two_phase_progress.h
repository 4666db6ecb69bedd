#pragma once
#include <cstdint>
#include <string>

#include "remaining_time.h"

namespace splitwick {

// The progress of a demux and the mux after it as one line, "FEATURE_1.mkv 62 %, Remaining
// time: 0:01:10": the demux counts for the first half of the work, the mux for the second, and
// one clock started with the demux estimates the time left over both.
class TwoPhaseProgress {
  public:
    static constexpr int64_t Whole = 1000; // per mille over both phases

    explicit TwoPhaseProgress(std::string target) : target_(std::move(target)) {}

    // How far the work is, in per mille of Whole, at a position of the demux's pass over a
    // file of size bytes, or at a percentage of the mux.
    static int64_t ofDemux(int64_t position, int64_t size);
    static int64_t ofMux(int percent);

    std::string text(int64_t done) const;

  private:
    std::string target_;
    PassClock clock_;
};

} // namespace splitwick
