// LPCM as FLAC, written into Matroska: ffmpeg decodes every sample as it went in, each channel
// on the speaker the disc meant, and reads the total and MD5 of the final STREAMINFO.
#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <random>
#include <string>
#include <vector>

#include "mux/flac_encoder.h"
#include "mux/matroska_writer.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// Noise over every bit a sample carries, so that nothing compresses away: little-endian samples
// as LpcmSamples gives them, 20-bit ones left-justified in 24 bits.
Bytes noise(const LpcmFormat& format, int64_t frames) {
    const int bytes = format.bitsPerSample == 16 ? 2 : 3;
    const uint32_t unused = format.bitsPerSample == 20 ? 0x0F : 0;
    std::mt19937 random(uint32_t(format.channels * format.sampleRate + format.bitsPerSample));
    Bytes samples;
    for (int64_t i = 0; i < frames * format.channels; ++i) {
        const uint32_t value = random() & ~unused;
        for (int b = 0; b < bytes; ++b)
            samples.push_back(uint8_t(value >> (8 * b)));
    }
    return samples;
}

struct Encoded {
    std::vector<FlacFrame> frames;
    uint64_t pcmBytes = 0, flacBytes = 0;
};

// Encodes the samples in runs of changing length, as a pass's packets bring them, into a
// Matroska file at path.
Encoded writeFlacMkv(const LpcmFormat& format, const Bytes& samples, const std::string& path) {
    Encoded encoded;
    FlacEncoder encoder(format, DefaultFlacLevel,
                        [&](const FlacFrame& frame) { encoded.frames.push_back(frame); });
    const size_t frameBytes = size_t(format.channels * (format.bitsPerSample == 16 ? 2 : 3));
    for (size_t at = 0, run = 1; at < samples.size(); run = run * 7 % 4001 + 1) {
        const size_t length = std::min(run * frameBytes, samples.size() - at);
        encoder.encode({samples.data() + at, length});
        at += length;
    }
    encoder.finish();
    encoded.pcmBytes = encoder.pcmBytes();
    encoded.flacBytes = encoder.flacBytes();

    OpenFiles held;
    OutputFile out(path, held);
    MatroskaWriter writer(out);
    writer.start(
        {{MuxCodec::Flac, {}, true, encoder.parameters(), encoder.bitsPerSample(), std::nullopt}},
        "", false);
    const int64_t rate = format.sampleRate;
    for (const FlacFrame& frame : encoded.frames) {
        const int64_t pts = frame.firstSample * 90000 / rate;
        writer.write({0, frame.packet, pts, pts, frame.samples * 90000 / rate, true});
    }
    writer.finish({}, 0);
    out.close();
    return encoded;
}

// What ffprobe reads of the file: its stream's "rate,layout,bits", and its packets' bytes.
struct Probed {
    std::string stream;
    uint64_t packetBytes = 0;
};

Probed probe(const std::string& mkv) {
    Probed probed;
    for (const std::string& line :
         outputLines("ffprobe -v error -show_entries packet=size:stream=sample_rate,"
                     "channel_layout,bits_per_raw_sample -of csv " +
                     inQuotes(mkv))) {
        if (line.starts_with("stream,")) probed.stream = line.substr(7);
        if (line.starts_with("packet,")) probed.packetBytes += std::stoull(line.substr(7));
    }
    return probed;
}

// The final STREAMINFO of a FLAC file: total samples (36 bits from byte 13) and MD5 (bytes 18
// to 33), behind "fLaC" and the block header.
struct StreamInfo {
    uint64_t totalSamples;
    QByteArray md5;
};

StreamInfo streamInfoOf(const Bytes& flac) {
    const uint8_t* info = flac.data() + 8;
    uint64_t total = info[13] & 0x0F;
    for (int i = 14; i < 18; ++i)
        total = total << 8 | info[i];
    return {total, QByteArray(reinterpret_cast<const char*>(info + 18), 16)};
}

QByteArray md5Of(const Bytes& bytes) {
    return QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())),
        QCryptographicHash::Md5);
}

// ffprobe's names of the layouts LPCM gives each channel count.
const char* const Layouts[9] = {"", "mono", "stereo", "2.1", "4.0", "5.0", "5.1", "6.1", "7.1"};

// Each sample size, rate and common channel count, and the other counts once. LPCM's layouts
// of 3 to 6 channels are not FLAC's own: the file has to tell them.
std::vector<LpcmFormat> formats() {
    std::vector<LpcmFormat> formats;
    for (const int bits : {16, 20, 24})
        for (const int channels : {1, 2, 6, 8})
            for (const int rate : {48000, 96000})
                formats.push_back({bits, rate, channels});
    for (const LpcmFormat& other : {LpcmFormat{16, 48000, 3}, LpcmFormat{24, 96000, 4},
                                    LpcmFormat{20, 48000, 5}, LpcmFormat{16, 96000, 7}})
        formats.push_back(other);
    return formats;
}

TEST(FlacEncoder, SamplesComeBackIdenticalWithTheirLayoutTotalAndMd5) {
    TempFolder folder;
    for (const LpcmFormat& format : formats()) {
        SCOPED_TRACE(describe(format));
        // Two blocks and a shorter last one.
        const int64_t frames = format.sampleRate / 5;
        const Bytes samples = noise(format, frames);
        const std::string mkv = folder / "flac.mkv";
        const Encoded encoded = writeFlacMkv(format, samples, mkv);

        int64_t next = 0;
        for (const FlacFrame& frame : encoded.frames) {
            EXPECT_EQ(frame.firstSample, next);
            next += frame.samples;
        }
        EXPECT_EQ(next, frames);
        const bool wide = format.bitsPerSample > 16;
        const Probed probed = probe(mkv);
        EXPECT_EQ(probed.stream, std::to_string(format.sampleRate) + "," +
                                     Layouts[format.channels] + "," + (wide ? "24" : "16"));
        EXPECT_EQ(encoded.pcmBytes, samples.size());
        EXPECT_EQ(encoded.flacBytes, probed.packetBytes);

        const std::string raw = folder / "samples", flac = folder / "copy.flac";
        runCommand("ffmpeg -nostdin -v error -y -i " + inQuotes(mkv) + " -f " +
                   (wide ? "s24le " : "s16le ") + inQuotes(raw) + " -c copy " + inQuotes(flac));
        EXPECT_TRUE(readBytes(raw) == samples);
        const StreamInfo info = streamInfoOf(readBytes(flac));
        EXPECT_EQ(info.totalSamples, uint64_t(frames));
        EXPECT_EQ(info.md5.toHex().toStdString(), md5Of(samples).toHex().toStdString());
    }
}

TEST(FlacEncoder, LevelOutsideZeroToTwelveIsRefused) {
    for (const int level : {-1, MaxFlacLevel + 1})
        EXPECT_THROW(FlacEncoder({16, 48000, 2}, level, [](const FlacFrame&) {}),
                     std::invalid_argument);
}

} // namespace
} // namespace splitwick::testing
