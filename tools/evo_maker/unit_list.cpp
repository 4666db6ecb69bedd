#include "unit_list.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>
#include <stdexcept>

namespace splitwick::maker {

namespace {

constexpr int64_t TicksPerSecond = 90000;
// Bounds that keep every product below in 64 bits: timebase terms up to 2^20, times up to
// 2^24 seconds (194 days) either side of 0.
constexpr int64_t MaxTimebaseTerm = int64_t(1) << 20;
constexpr long double MaxSeconds = 1 << 24;
constexpr int LpcmUnitsPerSecond = 1200;

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

class ListReader {
  public:
    ListReader(const std::string& path, int64_t streamSize);
    UnitList read();

  private:
    [[noreturn]] void fail(const std::string& what) const;
    void readTimebase(std::istringstream& fields);
    void readUnit(std::istringstream& fields);

    std::string path_;
    int64_t streamSize_;
    std::ifstream in_;
    int line_ = 0;
    bool haveTimebase_ = false;
    Rational timebase_;
    UnitList list_;
    std::vector<int64_t> presentation_; // in timebase units
};

ListReader::ListReader(const std::string& path, int64_t streamSize)
    : path_(path), streamSize_(streamSize), in_(path) {
    if (!in_) throw std::invalid_argument("cannot read the unit list " + path);
}

void ListReader::fail(const std::string& what) const {
    throw std::invalid_argument(path_ + " line " + std::to_string(line_) + ": " + what);
}

UnitList ListReader::read() {
    for (std::string text; std::getline(in_, text);) {
        ++line_;
        std::istringstream fields(text);
        std::string first;
        if (!(fields >> first) || first[0] == '#') continue;
        if (first == "timebase") {
            readTimebase(fields);
        } else {
            if (!haveTimebase_) fail("the timebase must come first");
            fields.seekg(0);
            readUnit(fields);
        }
    }
    const int64_t covered =
        list_.units.empty() ? 0 : list_.units.back().offset + list_.units.back().size;
    if (list_.units.empty() || covered != streamSize_)
        fail("the units cover " + std::to_string(covered) + " bytes of a stream of " +
             std::to_string(streamSize_));
    // The smallest step between presentation times is one unit's duration.
    std::sort(presentation_.begin(), presentation_.end());
    int64_t step = 0;
    for (size_t i = 1; i < presentation_.size(); ++i) {
        const int64_t d = presentation_[i] - presentation_[i - 1];
        if (d > 0 && (step == 0 || d < step)) step = d;
    }
    list_.unitDuration = {timebase_.num * std::max<int64_t>(step, 1), timebase_.den};
    const int64_t common = std::gcd(list_.unitDuration.num, list_.unitDuration.den);
    list_.unitDuration.num /= common;
    list_.unitDuration.den /= common;
    return std::move(list_);
}

void ListReader::readTimebase(std::istringstream& fields) {
    char slash = 0;
    std::string rest;
    if (!(fields >> timebase_.num >> slash >> timebase_.den) || slash != '/' || fields >> rest ||
        timebase_.num <= 0 || timebase_.den <= 0 || timebase_.num > MaxTimebaseTerm ||
        timebase_.den > MaxTimebaseTerm)
        fail("a timebase is NUM/DEN, two positive numbers up to 2^20");
    haveTimebase_ = true;
}

void ListReader::readUnit(std::istringstream& fields) {
    Unit unit;
    int64_t pts = 0, dts = 0;
    std::string key, rest;
    if (!(fields >> unit.offset >> unit.size >> pts >> dts))
        fail("a unit is OFFSET SIZE PTS DTS [key]");
    if (fields >> key && key != "key") fail("unknown field " + key);
    if (fields >> rest) fail("unknown field " + rest);
    const int64_t expectedOffset =
        list_.units.empty() ? 0 : list_.units.back().offset + list_.units.back().size;
    if (unit.offset != expectedOffset)
        fail("offset " + std::to_string(unit.offset) + " where the previous unit ends at " +
             std::to_string(expectedOffset));
    if (unit.size <= 0 || unit.offset + unit.size > streamSize_)
        fail("the unit does not fit the stream of " + std::to_string(streamSize_) + " bytes");
    const auto seconds = [&](int64_t t) {
        return std::abs((long double)t * timebase_.num / timebase_.den);
    };
    if (seconds(pts) > MaxSeconds || seconds(dts) > MaxSeconds) fail("timestamp out of range");
    if (dts > pts) fail("decoded after it is presented");
    unit.pts = toTicks(pts, timebase_);
    unit.dts = toTicks(dts, timebase_);
    if (!list_.units.empty() && unit.dts <= list_.units.back().dts)
        fail("decoded before the unit in front of it");
    unit.key = !key.empty();
    presentation_.push_back(pts);
    list_.units.push_back(unit);
}

// The bytes of a group of samples, the smallest piece DVD LPCM is stored in: one sample of each
// channel at 16 bits, two of each at 20 and 24 bits.
int64_t lpcmGroupSize(const LpcmFormat& format) {
    return format.bitsPerSample == 16 ? 2 * format.channels
                                      : format.bitsPerSample * 2 * format.channels / 8;
}

} // namespace

int64_t toTicks(int64_t time, const Rational& timebase) {
    // time × num = whole × den + part, so ticks = whole × 90000 + part × 90000 / den.
    const int64_t scaled = time * timebase.num;
    const int64_t whole = floorDiv(scaled, timebase.den);
    const int64_t part = scaled - whole * timebase.den;
    return whole * TicksPerSecond +
           floorDiv(2 * part * TicksPerSecond + timebase.den, 2 * timebase.den);
}

UnitList readUnitList(const std::string& path, int64_t streamSize) {
    return ListReader(path, streamSize).read();
}

int64_t lpcmUnitSize(const LpcmFormat& format) {
    return int64_t(format.sampleRate) / LpcmUnitsPerSecond * format.channels *
           format.bitsPerSample / 8;
}

UnitList lpcmUnitList(const LpcmFormat& format, int64_t streamSize) {
    const bool known =
        (format.bitsPerSample == 16 || format.bitsPerSample == 20 || format.bitsPerSample == 24) &&
        (format.sampleRate == 48000 || format.sampleRate == 96000) && format.channels >= 1 &&
        format.channels <= 8;
    if (!known)
        throw std::invalid_argument("LPCM is 16, 20 or 24 bits, 48 or 96 kHz, 1 to 8 channels");
    if (streamSize <= 0 || streamSize % lpcmGroupSize(format) != 0)
        throw std::invalid_argument("an LPCM stream of " + describe(format) +
                                    " holds whole groups of " +
                                    std::to_string(lpcmGroupSize(format)) + " bytes");
    UnitList list;
    list.unitDuration = {1, LpcmUnitsPerSecond};
    const int64_t size = lpcmUnitSize(format);
    for (int64_t offset = 0, n = 0; offset < streamSize; offset += size, ++n) {
        const int64_t ticks = toTicks(n, list.unitDuration);
        list.units.push_back({offset, std::min(size, streamSize - offset), ticks, ticks, true});
    }
    return list;
}

} // namespace splitwick::maker
