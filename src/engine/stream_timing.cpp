#include "stream_timing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace splitwick {

namespace {

// The rates of disc video, film first.
constexpr std::array<FrameRate, 6> DiscRates = {
    {{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {50, 1}, {60000, 1001}}};

FrameRate reduced(int64_t numerator, int64_t denominator) {
    const int64_t divisor = std::gcd(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
}

} // namespace

int64_t ptsDifference(int64_t a, int64_t b) {
    int64_t difference = (a - b) % PtsModulus;
    if (difference < 0) difference += PtsModulus;
    return difference >= PtsModulus / 2 ? difference - PtsModulus : difference;
}

int64_t ptsPlus(int64_t a, int64_t ticks) {
    const int64_t sum = (a + ticks) % PtsModulus;
    return sum < 0 ? sum + PtsModulus : sum;
}

int64_t ticksToMs(int64_t ticks) {
    constexpr int64_t TicksPerMs = TicksPerSecond / 1000;
    constexpr int64_t Half = TicksPerMs / 2;
    return ticks >= 0 ? (ticks + Half) / TicksPerMs : -((Half - ticks) / TicksPerMs);
}

std::string FrameRate::text() const {
    return std::to_string(numerator) + (denominator == 1 ? "" : "/" + std::to_string(denominator));
}

FrameRate frameRateOf(double frameTicks) {
    const double rate = double(TicksPerSecond) / frameTicks;
    // 24 is 24000/1001 and 0.1 %: a rate between the two is within that of both.
    const FrameRate* nearest = nullptr;
    double nearestOff = 0.001;
    for (const FrameRate& disc : DiscRates) {
        const double discRate = double(disc.numerator) / double(disc.denominator);
        const double off = std::abs(rate - discRate) / discRate;
        if (off <= nearestOff) {
            nearest = &disc;
            nearestOff = off;
        }
    }
    if (nearest != nullptr) return *nearest;
    return reduced(std::max<int64_t>(1, std::llround(rate * 1000)), 1000);
}

bool isDiscRate(const FrameRate& rate) {
    return std::find(DiscRates.begin(), DiscRates.end(), rate) != DiscRates.end();
}

void TitleTiming::addPart(PartTiming part) {
    if (!parts.empty() && parts.back().videoEndPts) {
        const int64_t seam = *parts.back().videoEndPts;
        if (part.referencePts) part.seamMs = ticksToMs(ptsDifference(*part.referencePts, seam));
        for (StreamStart& stream : part.streams)
            stream.afterSeamMs = ticksToMs(ptsDifference(stream.firstPts, seam));
    }
    parts.push_back(std::move(part));
}

} // namespace splitwick
