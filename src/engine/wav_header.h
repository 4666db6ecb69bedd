#pragma once
#include <cstdint>
#include <vector>

namespace splitwick {

struct WavFormat {
    int channels;    // 1 to 8
    int sampleRate;  // per second
    int sampleBytes; // of each sample in the file: 2 or 3
    int validBits;   // of each sample that carry the signal: 16, 20 or 24
};

// The bytes in front of the samples of a file holding dataBytes bytes of samples (and, when
// that is odd, the pad byte that ends the data chunk on an even size). A RIFF file while its
// sizes fit in 32 bits; above that an RF64 file, whose ds64 chunk takes the place of the JUNK
// chunk that a RIFF file carries for it. The header has the same length for every data size,
// so that it can be written again over itself once the sizes are known.
std::vector<uint8_t> wavHeader(const WavFormat& format, uint64_t dataBytes);

} // namespace splitwick
