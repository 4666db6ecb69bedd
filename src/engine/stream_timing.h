#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track.h"

namespace splitwick {

// PTS and DTS count a 90 kHz clock in 33 bits, which wrap round after some 26.5 hours.
constexpr int64_t TicksPerSecond = 90000;
constexpr int64_t PtsModulus = int64_t(1) << 33;
// The longest picture of disc video, 24000/1001's: a longer step between stamped pictures spans
// pictures whose packets carried no PTS.
constexpr double LongestPictureTicks = TicksPerSecond * 1001 / 24000.0;

// a - b for two timestamps, taken the short way round the wrap.
int64_t ptsDifference(int64_t a, int64_t b);
// a + ticks, wrapped into 33 bits.
int64_t ptsPlus(int64_t a, int64_t ticks);
// Ticks as milliseconds, rounded to the nearest, halves away from 0.
int64_t ticksToMs(int64_t ticks);

// Frames a second as a fraction: 24000/1001, 25/1.
struct FrameRate {
    int64_t numerator = 0;
    int64_t denominator = 1;
    bool operator==(const FrameRate&) const = default;
    // "24000/1001", "25".
    std::string text() const;
};

// The rate of frames that last this many ticks: the nearest of the rates discs use when it is
// within 0.1 % of one, else the rate measured, to the thousandth of a frame.
FrameRate frameRateOf(double frameTicks);

// Whether the rate is one of those discs use, as frameRateOf names them.
bool isDiscRate(const FrameRate& rate);

// Where a stream of one part of a title starts.
struct StreamStart {
    Track track;
    int64_t firstPts = 0; // the first PTS its packets carry, 33 bits
    // firstPts less the part's reference, in ms: below 0 when the stream starts before the
    // picture. None in a part without video stream 0.
    std::optional<int64_t> delayMs;
    // In a later part of a split title: firstPts less where the part before's video ended.
    std::optional<int64_t> afterSeamMs;
};

// The timing of one part (file) of a title, as its scan found it.
struct PartTiming {
    std::string file;                        // its name without folder
    std::optional<FrameRate> videoFrameRate; // of video stream 0
    // The PTS of video stream 0's first presented frame: with B-frames that is not the first
    // PTS in the file but the smallest among its packets decoded within one second of the first.
    std::optional<int64_t> referencePts;
    // Where video stream 0's last presented frame ends.
    std::optional<int64_t> videoEndPts;
    // In a later part: referencePts less where the part before's video ended, in ms; 0 where the
    // picture goes on without a jump.
    std::optional<int64_t> seamMs;
    std::vector<StreamStart> streams; // in track order
};

// The timing of a title's parts, in the order they were read: none when no scan measured it.
struct TitleTiming {
    std::vector<PartTiming> parts;

    // Appends the part read after the last, measuring its starts against the seam.
    void addPart(PartTiming part);
};

} // namespace splitwick
