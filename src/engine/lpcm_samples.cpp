#include "lpcm_samples.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace splitwick {

namespace {

// 16 bits: each sample big-endian, a group of one.
void swapBytes(const uint8_t* in, size_t samples, uint8_t* out) {
    for (size_t i = 0; i < samples; ++i) {
        out[2 * i] = in[2 * i + 1];
        out[2 * i + 1] = in[2 * i];
    }
}

// 20 and 24 bits: a group holds the high 16 bits of each of its samples, big-endian, then the
// low bits of each in sample order: a byte per sample at 24 bits, a nibble (the high nibble
// first) at 20.
template <int LowBits, int Samples>
void unpackGroups(const uint8_t* in, size_t groups, uint8_t* out) {
    constexpr size_t GroupBytes = Samples * (16 + LowBits) / 8;
    for (size_t g = 0; g < groups; ++g, in += GroupBytes, out += Samples * 3) {
        const uint8_t* low = in + Samples * 2;
        for (int k = 0; k < Samples; ++k) {
            out[3 * k] = LowBits == 8 ? low[k] : uint8_t(low[k / 2] << (k % 2 * 4) & 0xF0);
            out[3 * k + 1] = in[2 * k + 1];
            out[3 * k + 2] = in[2 * k];
        }
    }
}

struct Packing {
    int groupSamples;
    void (*unpack)(const uint8_t*, size_t, uint8_t*);
};

// By bits per sample (16, 20, 24), then mono or not. Mono groups pair its samples; every other
// channel count groups four samples in stream order, even where four are not a whole number of
// frames (5.1: three groups hold two frames). That is the layout ffmpeg's pcm_dvd encoder
// writes and its decoder reads, for every channel count.
constexpr Packing Packings[3][2] = {
    {{1, swapBytes}, {1, swapBytes}},
    {{4, unpackGroups<4, 4>}, {2, unpackGroups<4, 2>}},
    {{4, unpackGroups<8, 4>}, {2, unpackGroups<8, 2>}},
};

} // namespace

LpcmSamples::LpcmSamples(const LpcmFormat& format)
    : channels_(format.channels), wavSampleBytes_(format.bitsPerSample == 16 ? 2 : 3) {
    const Packing& packing = Packings[(format.bitsPerSample - 16) / 4][format.channels == 1];
    groupSamples_ = packing.groupSamples;
    groupBytes_ = size_t(groupSamples_) * size_t(format.bitsPerSample) / 8;
    unpack_ = packing.unpack;
    const size_t unitSamples = size_t(std::lcm(groupSamples_, channels_));
    unitGroups_ = unitSamples / size_t(groupSamples_);
    unitBytes_ = unitGroups_ * groupBytes_;
    unitWavBytes_ = unitSamples * size_t(wavSampleBytes_);
    waiting_.resize(unitBytes_);
}

uint8_t* LpcmSamples::output(size_t bytes) {
    if (converted_.size() < bytes) converted_.resize(bytes);
    return converted_.data();
}

std::span<const uint8_t> LpcmSamples::convert(const uint8_t* data, size_t length) {
    if (length == 0) return {};
    uint8_t* out = output((waitingLength_ + length) / unitBytes_ * unitWavBytes_);
    size_t produced = 0;
    if (waitingLength_ > 0) {
        const size_t taken = std::min(length, unitBytes_ - waitingLength_);
        std::memcpy(waiting_.data() + waitingLength_, data, taken);
        waitingLength_ += taken;
        data += taken;
        length -= taken;
        if (waitingLength_ < unitBytes_) return {};
        unpack_(waiting_.data(), unitGroups_, out);
        produced = unitWavBytes_;
        waitingLength_ = 0;
    }
    // Whole units straight from the run: the common case, one call for the whole run.
    const size_t units = length / unitBytes_;
    unpack_(data, units * unitGroups_, out + produced);
    produced += units * unitWavBytes_;
    waitingLength_ = length - units * unitBytes_;
    std::memcpy(waiting_.data(), data + units * unitBytes_, waitingLength_);
    return {out, produced};
}

std::span<const uint8_t> LpcmSamples::finish() {
    const size_t groups = waitingLength_ / groupBytes_;
    waitingLength_ = 0;
    const size_t frames = groups * size_t(groupSamples_) / size_t(channels_);
    uint8_t* out = output(unitWavBytes_);
    unpack_(waiting_.data(), groups, out);
    return {out, frames * size_t(channels_) * size_t(wavSampleBytes_)};
}

} // namespace splitwick
