#pragma once
#include <cstdint>
#include <string>

#include "remaining_time.h"

namespace splitwick {

// How far a job has come over the files it passes one after another (the parts and clips of a
// title): one share and one estimate of the time left over all of them, so that a bar runs once
// from 0 to 100 %.
class JobProgress {
  public:
    explicit JobProgress(int64_t totalBytes) : total_(totalBytes) {}

    // A pass over the next file starts; the files before it count as done.
    void fileStarted(int64_t size);
    // Bytes done over all the files, at this position in the file in hand.
    int64_t done(int64_t position) const;
    int64_t total() const { return total_; }
    // The time left, "0:01:10"; empty once all is done.
    std::string remaining(int64_t done) const;

  private:
    int64_t total_;
    int64_t before_ = 0;  // the files passed before the one in hand
    int64_t current_ = 0; // the size of the one in hand
    PassClock clock_;
};

} // namespace splitwick
