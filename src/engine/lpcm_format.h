#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace splitwick {

// The three LPCM header bytes of a packet: they follow the sub-stream id,
// number_of_frame_headers and first_access_unit_pointer, and the samples follow them.
using LpcmHeader = std::array<uint8_t, 3>;

// What the samples of an LPCM stream are.
struct LpcmFormat {
    int bitsPerSample; // 16, 20 or 24
    int sampleRate;    // 48000, 96000, 44100 or 32000
    int channels;      // 1 to 8
    bool operator==(const LpcmFormat&) const = default;
};

// The format a packet's header gives; none when its quantization_word_length is the one value
// (3) that codes no sample size.
std::optional<LpcmFormat> lpcmFormat(const LpcmHeader& header);

// The format as messages name it, e.g. "24-bit 6-channel 48000 Hz".
std::string describe(const LpcmFormat& format);

} // namespace splitwick
