#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lpcm_format.h"

namespace splitwick {

// Turns the sample bytes of an LPCM stream, split anywhere, into little-endian WAV samples:
// 16-bit samples byte-swapped, 20- and 24-bit ones unpacked into 24 bits (20-bit ones
// left-justified, their low four bits 0). Only whole sample frames come out: the bytes of an
// unfinished one wait for the next call.
class LpcmSamples {
  public:
    explicit LpcmSamples(const LpcmFormat& format);

    // The WAV samples that these bytes complete; valid until the next call.
    std::span<const uint8_t> convert(const uint8_t* data, size_t length);
    // At the stream's end: the whole frames among the bytes still waiting (a frame is whole
    // when every sample of it is); the rest is dropped.
    std::span<const uint8_t> finish();

    // Bytes of one sample in the WAV file: 2 or 3.
    int wavSampleBytes() const { return wavSampleBytes_; }

  private:
    using Unpack = void (*)(const uint8_t* in, size_t groups, uint8_t* out);

    // Makes room for this many bytes of WAV samples.
    uint8_t* output(size_t bytes);

    int channels_;
    int wavSampleBytes_;
    // A group: the samples whose high 16 bits are stored before their low bits.
    int groupSamples_;
    size_t groupBytes_;
    Unpack unpack_;
    // A unit: the fewest groups that also make whole frames, converted in one piece.
    size_t unitGroups_;
    size_t unitBytes_;
    size_t unitWavBytes_;
    std::vector<uint8_t> waiting_; // a unit's bytes, filled up to waitingLength_
    size_t waitingLength_ = 0;
    std::vector<uint8_t> converted_;
};

} // namespace splitwick
