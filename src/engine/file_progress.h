#pragma once
#include <cstdint>
#include <string>

#include "remaining_time.h"

namespace splitwick {

// The progress of a pass that makes one file, as one line named after the file:
// "FEATURE_1.mkv 62 %, Remaining time: 0:01:10", over the pass's source ("FEATURE_1.mkv
// 100 %" at its end); one clock started with the first pass estimates the time left.
class FileProgress {
  public:
    explicit FileProgress(std::string target) : target_(std::move(target)) {}

    std::string text(int64_t position, int64_t size) const;

  private:
    std::string target_;
    PassClock clock_;
};

} // namespace splitwick
