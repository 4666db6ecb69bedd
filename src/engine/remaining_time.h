#pragma once
#include <chrono>
#include <cstdint>
#include <string>

namespace splitwick {

// Times a pass over a file and estimates what is left of it.
class PassClock {
  public:
    PassClock() : start_(std::chrono::steady_clock::now()) {}
    // The time still needed to reach size from position at the pace so far, plus one second,
    // written as a time of day H:MM:SS (a day or more shows only its time of day).
    std::string remaining(int64_t position, int64_t size) const;

  private:
    std::chrono::steady_clock::time_point start_;
};

// "512/7634 Mbytes, Remaining time: 0:03:12": the common tail of the progress lines.
std::string progressTail(const PassClock& clock, int64_t position, int64_t size);

} // namespace splitwick
