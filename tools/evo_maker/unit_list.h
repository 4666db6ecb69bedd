#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/lpcm_format.h"

// The access units of an elementary stream that the maker cuts into packets: where each lies
// in the stream and when it is decoded and presented. A unit list is a text file beside the
// stream, so that the maker needs no parser of any codec:
//
//   # lines starting with '#' and empty lines are ignored
//   timebase NUM/DEN            the unit of the timestamps below, in seconds
//   OFFSET SIZE PTS DTS [key]   one line per unit, in decode (file) order
//
// The units must cover the stream without gaps; timestamps may start anywhere, also below 0.
namespace splitwick::maker {

struct Rational {
    int64_t num = 1;
    int64_t den = 1;
};

struct Unit {
    int64_t offset = 0;
    int64_t size = 0;
    int64_t pts = 0; // 90 kHz ticks
    int64_t dts = 0;
    bool key = false;
};

struct UnitList {
    std::vector<Unit> units;
    // A unit's duration as the smallest step between two presentation times, in seconds: the
    // frame duration of a video stream.
    Rational unitDuration;
};

// Reads the unit list of a stream of streamSize bytes. Throws std::invalid_argument naming the
// file and line where the list is not well-formed or does not fit the stream.
UnitList readUnitList(const std::string& path, int64_t streamSize);

// LPCM has fixed units: 1/1200 s of samples (40 at 48 kHz), all key units.
UnitList lpcmUnitList(const LpcmFormat& format, int64_t streamSize);
int64_t lpcmUnitSize(const LpcmFormat& format);

// A time in timebase units as 90 kHz ticks, rounded to the nearest (halves up).
int64_t toTicks(int64_t time, const Rational& timebase);

} // namespace splitwick::maker
