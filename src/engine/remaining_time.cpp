#include "remaining_time.h"

#include <cmath>
#include <cstdio>

#include "sizes.h"

namespace splitwick {

namespace {

constexpr int64_t SecondsPerDay = 86400;

// Seconds as a time of day, H:MM:SS: a day or more shows only its time of day.
std::string formatTimeOfDay(double seconds) {
    const int64_t whole = seconds > 0 ? static_cast<int64_t>(std::floor(seconds)) : 0;
    const int64_t ofDay = whole % SecondsPerDay;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", int(ofDay / 3600), int(ofDay / 60 % 60),
                  int(ofDay % 60));
    return text;
}

} // namespace

std::string PassClock::remaining(int64_t position, int64_t size) const {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    // An empty or unread file has no pace to go by: only the second of slack is left.
    const double total = position > 0 ? elapsed * double(size) / double(position) : elapsed;
    return formatTimeOfDay(total - elapsed + 1.0);
}

std::string progressTail(const PassClock& clock, int64_t position, int64_t size) {
    return std::to_string(position / MiB) + "/" + std::to_string(size / MiB) +
           " Mbytes, Remaining time: " + clock.remaining(position, size);
}

} // namespace splitwick
