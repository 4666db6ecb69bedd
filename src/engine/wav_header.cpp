#include "wav_header.h"

#include <cstddef>

namespace splitwick {

namespace {

constexpr uint16_t WaveFormatPcm = 0x0001;
constexpr uint16_t WaveFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM, as it is stored.
constexpr uint8_t PcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                      0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// dwChannelMask by channel count: the layouts that ffmpeg's pcm_dvd decoder gives each count:
// mono FC; stereo FL FR; 2.1 FL FR LFE; 4.0 FL FR FC BC; 5.0 FL FR FC BL BR; 5.1 FL FR FC LFE
// BL BR; 6.1 FL FR FC LFE BC SL SR; 7.1 FL FR FC LFE BL BR SL SR.
constexpr uint32_t ChannelMask[9] = {0, 0x4, 0x3, 0xB, 0x107, 0x37, 0x3F, 0x70F, 0x63F};

// riffSize, dataSize and sampleCount (64 bits each) and an empty table (32 bits).
constexpr uint32_t Ds64Size = 28;
// What RF64 puts in the 32-bit size fields that ds64 holds instead.
constexpr uint32_t SizeInDs64 = 0xFFFFFFFF;

class LittleEndian {
  public:
    explicit LittleEndian(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    void tag(const char (&fourCharacters)[5]) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(uint8_t(fourCharacters[i]));
    }
    void number(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bytes_.push_back(uint8_t(value >> (8 * i)));
    }

  private:
    std::vector<uint8_t>& bytes_;
};

// WAVE_FORMAT_EXTENSIBLE where plain PCM leaves the layout or the sample size in doubt, and,
// as ffmpeg's own WAV files have it, above 48 kHz.
bool extensible(const WavFormat& format) {
    return format.channels > 2 || format.validBits > 16 || format.sampleRate > 48000;
}

uint32_t fmtSize(const WavFormat& format) {
    return extensible(format) ? 40 : 16;
}

void writeFmt(LittleEndian& out, const WavFormat& format) {
    const uint32_t blockAlign = uint32_t(format.channels * format.sampleBytes);
    out.tag("fmt ");
    out.number(fmtSize(format), 4);
    out.number(extensible(format) ? WaveFormatExtensible : WaveFormatPcm, 2);
    out.number(uint32_t(format.channels), 2);
    out.number(uint32_t(format.sampleRate), 4);
    out.number(uint32_t(format.sampleRate) * blockAlign, 4);
    out.number(blockAlign, 2);
    out.number(uint32_t(format.sampleBytes * 8), 2);
    if (!extensible(format)) return;
    out.number(22, 2); // cbSize: the extension's bytes
    out.number(uint32_t(format.validBits), 2);
    out.number(ChannelMask[format.channels], 4);
    for (uint8_t b : PcmSubFormat)
        out.number(b, 1);
}

// RIFF or RF64 header, ds64 or JUNK chunk, fmt chunk, data chunk header.
size_t headerSize(const WavFormat& format) {
    return 12 + 8 + Ds64Size + 8 + fmtSize(format) + 8;
}

} // namespace

std::vector<uint8_t> wavHeader(const WavFormat& format, uint64_t dataBytes) {
    const uint64_t riffSize = headerSize(format) - 8 + dataBytes + dataBytes % 2;
    const bool rf64 = riffSize > UINT32_MAX;
    std::vector<uint8_t> bytes;
    LittleEndian out(bytes);
    out.tag(rf64 ? "RF64" : "RIFF");
    out.number(rf64 ? SizeInDs64 : riffSize, 4);
    out.tag("WAVE");
    out.tag(rf64 ? "ds64" : "JUNK");
    out.number(Ds64Size, 4);
    const uint64_t frames = dataBytes / uint64_t(format.channels * format.sampleBytes);
    for (uint64_t value : {riffSize, dataBytes, frames})
        out.number(rf64 ? value : 0, 8);
    out.number(0, 4);
    writeFmt(out, format);
    out.tag("data");
    out.number(rf64 ? SizeInDs64 : dataBytes, 4);
    return bytes;
}

} // namespace splitwick
