#include "lpcm_format.h"

namespace splitwick {

namespace {

// Header byte 1: quantization_word_length (bits 7-6), audio_sampling_frequency (bits 5-4),
// a reserved bit, number_of_audio_channels less one (bits 2-0). Byte 0 holds the emphasis and
// mute flags and the frame number, byte 2 the dynamic range control: neither changes how the
// samples are stored.
constexpr int BitsPerSample[4] = {16, 20, 24, 0};
constexpr int SampleRate[4] = {48000, 96000, 44100, 32000};

} // namespace

std::optional<LpcmFormat> lpcmFormat(const LpcmHeader& header) {
    const uint8_t coding = header[1];
    const int bits = BitsPerSample[coding >> 6];
    if (bits == 0) return std::nullopt;
    return LpcmFormat{bits, SampleRate[coding >> 4 & 0x03], (coding & 0x07) + 1};
}

std::string describe(const LpcmFormat& format) {
    return std::to_string(format.bitsPerSample) + "-bit " + std::to_string(format.channels) +
           "-channel " + std::to_string(format.sampleRate) + " Hz";
}

} // namespace splitwick
