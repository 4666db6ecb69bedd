#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace splitwick {

// Frames a second of the title timeline: the TitleSet's timeBase ("60fps", "50fps"); 60 when
// it is absent or not of that form.
int timeBaseRate(std::string_view timeBase);

// A title time "HH:MM:SS:FF", FF counting frames at the time base's rate, in real nanoseconds
// (rounded to the nearest). The fields count the time base's frames, not seconds: at 60 (and
// 30) a second the timeline runs at the NTSC rate, so a count lasts 1.001/60 s (1501.5 ticks
// of 90 kHz) and 1:00:00:00 is 3603.6 s; at 50 a count is 1/50 s. Nothing for any other text,
// and for minutes, seconds or frames beyond their range: such a time would fall inside another.
std::optional<int64_t> titleTimeNs(std::string_view text, int rate);

// Nanoseconds as whole milliseconds, rounded to the nearest.
int64_t roundedMs(int64_t ns);

} // namespace splitwick
