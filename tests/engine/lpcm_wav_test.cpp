// LPCM streams that ffmpeg's pcm_dvd encoder and dvd muxer made, written as WAV packet by
// packet, their samples fed in pieces of random sizes: the WAV must hold what ffmpeg's own
// decoder makes of the stream, and ffprobe must read it as the stream's format.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/wav_header.h"
#include "support/job_error_of.h"
#include "support/program_stream.h"
#include "support/test_files.h"
#include "support/wav_files.h"

namespace splitwick::testing {
namespace {

// Feeds the file's LPCM packets: each packet's header bytes, then its samples in pieces of 1
// to 700 bytes, a quarter of them shorter than a sample, until `limit` sample bytes are in.
// Header bytes 0 and 2 (flags and frame number, dynamic range) differ from packet to packet,
// as on discs: they are no change of format.
void feed(LpcmWavFile& wav, const Bytes& evo, size_t limit = SIZE_MAX) {
    std::mt19937 random(7);
    for (const LpcmPacket& packet : lpcmPackets(evo)) {
        if (limit == 0) return;
        wav.packetHeader({uint8_t(random()), evo[packet.header + 1], uint8_t(random())});
        for (size_t at = packet.samples; at < packet.end && limit > 0;) {
            const size_t piece = random() % 4 == 0 ? random() % 3 + 1 : random() % 700 + 1;
            const size_t taken = std::min({piece, packet.end - at, limit});
            wav.write(evo.data() + at, taken);
            at += taken;
            limit -= taken;
        }
    }
}

// Writes the file's LPCM stream, or its first `limit` sample bytes, as a closed WAV file.
void writeWav(const std::string& path, const Bytes& evo, size_t limit = SIZE_MAX) {
    OpenFiles files;
    LpcmWavFile wav(path, 0, files);
    feed(wav, evo, limit);
    wav.close();
}

struct Made {
    const char* file;
    const char* probe; // what ffprobe reads in the WAV
    int sampleBytes;   // of each sample in the WAV
};

void PrintTo(const Made& made, std::ostream* out) {
    *out << made.file;
}

class LpcmMadeByFfmpeg : public ::testing::TestWithParam<Made> {};

TEST_P(LpcmMadeByFfmpeg, WavHoldsFfmpegsDecodeAndReadsAsItsFormat) {
    const std::string evo = ffmpegMade(GetParam().file);
    TempFolder folder;
    writeWav(folder / "ours.wav", readBytes(evo));
    decodeWithFfmpeg(folder / "theirs.wav", evo, GetParam().sampleBytes);
    EXPECT_EQ(probeAudio(folder / "ours.wav"), GetParam().probe);
    EXPECT_EQ(wavSamples(folder / "ours.wav"), wavSamples(folder / "theirs.wav"));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LpcmMadeByFfmpeg,
    // A plain PCM WAV (16-bit mono or stereo) names no channel layout, ffmpeg's own neither.
    ::testing::Values(Made{"LPCM_16_STEREO_48K.EVO", "pcm_s16le,48000,2,unknown", 2},
                      Made{"LPCM_24_5.1_48K.EVO", "pcm_s24le,48000,6,5.1", 3},
                      Made{"LPCM_24_STEREO_96K.EVO", "pcm_s24le,96000,2,stereo", 3},
                      Made{"LPCM_24_MONO_96K.EVO", "pcm_s24le,96000,1,mono", 3}),
    [](const auto& info) {
        std::string name = info.param.file;
        name.erase(name.rfind('.'));
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// What the WAV is for: a muxer takes it, samples and all.
TEST(LpcmWavMuxers, MkvmergeTakesTheWavWithItsSamples) {
    TempFolder folder;
    writeWav(folder / "ours.wav", readBytes(ffmpegMade("LPCM_24_5.1_48K.EVO")));
    runCommand("mkvmerge -q -o '" + folder / "ours.mkv" + "' '" + folder / "ours.wav" + "'");
    decodeWithFfmpeg(folder / "from_mkv.wav", folder / "ours.mkv", 3);
    EXPECT_EQ(wavSamples(folder / "from_mkv.wav"), wavSamples(folder / "ours.wav"));
}

// ffmpeg's 24-bit 5.1 stream with its headers rewritten to each sample size and channel count
// (header byte 1: quantization_word_length << 6 | audio_sampling_frequency << 4 | channels - 1):
// the same bytes read in that layout by ffmpeg's decoder into its own WAV and by ours. Each
// sampling frequency code comes up under two channel counts.
class LpcmEveryLayout : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(LpcmEveryLayout, WavHoldsFfmpegsDecodeAndReadsAsFfmpegsOwn) {
    const auto [bits, channels] = GetParam();
    Bytes evo = readBytes(ffmpegMade("LPCM_24_5.1_48K.EVO"));
    for (const LpcmPacket& packet : lpcmPackets(evo))
        evo[packet.header + 1] = uint8_t((bits - 16) / 4 << 6 | channels % 4 << 4 | (channels - 1));
    TempFolder folder;
    writeBytes(folder / "a.EVO", evo);
    writeWav(folder / "ours.wav", evo);
    const int sampleBytes = bits == 16 ? 2 : 3;
    decodeWithFfmpeg(folder / "theirs.wav", folder / "a.EVO", sampleBytes);

    EXPECT_EQ(probeAudio(folder / "ours.wav"), probeAudio(folder / "theirs.wav"));
    const Bytes ours = wavSamples(folder / "ours.wav");
    const Bytes theirs = wavSamples(folder / "theirs.wav");
    // ffmpeg decodes in blocks of up to four frames and drops an unfinished last one; the WAV
    // keeps every whole frame.
    ASSERT_GE(ours.size(), theirs.size());
    EXPECT_LT(ours.size() - theirs.size(), size_t(4 * channels * sampleBytes));
    EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), ours.begin()));
}

INSTANTIATE_TEST_SUITE_P(SampleSizesAndChannels, LpcmEveryLayout,
                         ::testing::Combine(::testing::Values(16, 20, 24), ::testing::Range(1, 9)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "bit" +
                                    std::to_string(std::get<1>(info.param)) + "ch";
                         });

// A run cut short, the file closed or left to a failing job's clean-up, holds the whole frames
// that came in, as ffmpeg decodes them, and ffprobe reads it. In 24-bit 5.1 three 12-byte groups
// of four samples hold two frames: 24 bytes into them the first frame is whole, 23 bytes in it
// is not.
TEST(LpcmWavCutShort, HoldsExactlyTheWholeFramesThatCameIn) {
    const std::string evo = ffmpegMade("LPCM_24_5.1_48K.EVO");
    TempFolder theirs;
    decodeWithFfmpeg(theirs / "whole.wav", evo, 3);
    const Bytes decoded = wavSamples(theirs / "whole.wav");
    constexpr size_t FrameBytes = 18;
    struct Cut {
        size_t bytes;
        size_t frames;
    };
    for (const Cut cut : {Cut{3600 + 23, 200}, Cut{3600 + 24, 201}, Cut{3600 + 35, 201},
                          Cut{3600 + 36, 202}, Cut{5, 0}}) {
        SCOPED_TRACE(cut.bytes);
        TempFolder folder;
        {
            OpenFiles files;
            LpcmWavFile wav(folder / "cut.wav", 0, files);
            feed(wav, readBytes(evo), cut.bytes);
            wav.close();
        }
        EXPECT_EQ(probeAudio(folder / "cut.wav"), "pcm_s24le,48000,6,5.1");
        EXPECT_EQ(wavSamples(folder / "cut.wav"),
                  Bytes(decoded.begin(), decoded.begin() + long(cut.frames * FrameBytes)));
    }
}

// Sets a limit to the size of the files this process writes, with SIGXFSZ ignored as the
// programs ignore it: a write past it fails with EFBIG, as one to a full disk fails.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        const rlimit limit{bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
};

// The disk fills up while a WAV is written: the header must tell of the whole frames the file
// holds, though its buffer could not be stored and the job fails.
TEST(LpcmWavCutShortRegression, FullDiskLeavesAHeaderOfTheFramesStored) {
    const std::string evo = ffmpegMade("LPCM_24_5.1_48K.EVO");
    TempFolder theirs;
    decodeWithFfmpeg(theirs / "whole.wav", evo, 3);
    const Bytes decoded = wavSamples(theirs / "whole.wav");
    constexpr size_t Limit = 50000, FrameBytes = 18;
    ASSERT_GT(decoded.size(), Limit);
    const size_t header = wavHeader({6, 48000, 3, 24}, 0).size();
    TempFolder folder;
    OpenFiles files;
    LpcmWavFile wav(folder / "full.wav", 0, files);
    {
        const FileSizeLimit limit(Limit);
        // The write that fails is one that fills the buffer; the file is then stored as far as
        // it can be.
        EXPECT_EQ(jobErrorOf([&] { feed(wav, readBytes(evo)); }), "Stream write error");
        EXPECT_NO_THROW(wav.store());
    }
    const std::string stored = wav.writtenPath();
    EXPECT_EQ(probeAudio(stored), "pcm_s24le,48000,6,5.1");
    EXPECT_EQ(
        wavSamples(stored),
        Bytes(decoded.begin(), decoded.begin() + long((Limit - header) / FrameBytes * FrameBytes)));
}

// 24-bit 3-channel: one group of four samples makes one whole frame of 9 bytes, an odd size.
TEST(LpcmWavCutShort, DataOfOddSizeIsPadded) {
    TempFolder folder;
    const uint8_t group[12] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 1, 2, 3, 4};
    {
        OpenFiles files;
        LpcmWavFile wav(folder / "odd.wav", 0, files);
        wav.packetHeader({0x00, 0x82, 0x80});
        wav.write(group, sizeof group);
        wav.close();
    }
    EXPECT_EQ(wavSamples(folder / "odd.wav"), (Bytes{1, 0x34, 0x12, 2, 0x78, 0x56, 3, 0xBC, 0x9A}));
    EXPECT_EQ(probeAudio(folder / "odd.wav"), "pcm_s24le,48000,3,2.1");
}

// A stream whose format changes, or whose header codes no sample size, cannot go on in its
// WAV file: the job ends with an error that names the stream, and the file, closed as a cancel
// closes it, keeps what came before (nothing at all when no format was ever known).
TEST(LpcmWavFormats, ThoseAWavCannotHoldEndTheJobAndKeepTheFileValid) {
    const std::string evo = ffmpegMade("LPCM_24_5.1_48K.EVO");
    TempFolder folder;
    {
        OpenFiles files;
        LpcmWavFile wav(folder / "changed.wav", 3, files);
        feed(wav, readBytes(evo), 3600);
        try {
            wav.packetHeader({0x00, 0x01, 0x80});
            ADD_FAILURE() << "a change to 16-bit stereo was taken";
        } catch (const JobError& e) {
            EXPECT_STREQ(e.what(), "LPCM audio stream 3 changes from 24-bit 6-channel 48000 Hz to "
                                   "16-bit 2-channel 48000 Hz after 200 sample frames; a WAV "
                                   "file holds one format. Demux the stream without WAV "
                                   "conversion");
        }
        wav.close();
    }
    EXPECT_EQ(probeAudio(folder / "changed.wav"), "pcm_s24le,48000,6,5.1");
    decodeWithFfmpeg(folder / "whole.wav", evo, 3);
    const Bytes decoded = wavSamples(folder / "whole.wav");
    EXPECT_EQ(wavSamples(folder / "changed.wav"), Bytes(decoded.begin(), decoded.begin() + 3600));

    {
        OpenFiles files;
        LpcmWavFile wav(folder / "unknown.wav", 1, files);
        try {
            wav.packetHeader({0x00, 0xC1, 0x80});
            ADD_FAILURE() << "quantization_word_length 3 was taken";
        } catch (const JobError& e) {
            EXPECT_STREQ(e.what(), "LPCM audio stream 1 gives a sample size that LPCM does not "
                                   "code. Demux the stream without WAV conversion");
        }
        wav.close();
    }
    EXPECT_EQ(std::filesystem::file_size(folder / "unknown.wav"), 0u);
}

// Past 4 GiB the sizes no longer fit RIFF's 32 bits: the header turns RF64, its ds64 chunk in
// the JUNK chunk's place. Behind it, 300 million frames of 24-bit 5.1 as a sparse file: ffprobe
// reads the duration that the 64-bit sizes give.
TEST(WavHeaderSizes, FileBeyondFourGiBIsRf64ThatFfprobeReads) {
    const WavFormat format{6, 48000, 3, 24};
    const uint64_t data = 300'000'000ull * 18;
    const Bytes header = wavHeader(format, data);
    TempFolder folder;
    writeBytes(folder / "long.wav", header);
    std::filesystem::resize_file(folder / "long.wav", header.size() + data);
    EXPECT_EQ(std::string(header.begin(), header.begin() + 4), "RF64");
    EXPECT_EQ(runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                         folder / "long.wav" + "'"),
              "6250.000000\n");
    // The RIFF size counts the header too: data a little below 4 GiB outgrows it already.
    EXPECT_EQ(wavHeader(format, UINT32_MAX - 50)[0], 'R');
    EXPECT_EQ(wavHeader(format, UINT32_MAX - 50)[1], 'F');
}

} // namespace
} // namespace splitwick::testing
