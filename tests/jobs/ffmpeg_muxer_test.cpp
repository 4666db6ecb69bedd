// Files made by ffmpeg's dvd and vob muxers from streams ffmpeg encoded: Demux gives back the
// very elementary streams that went in. Skipped where ffmpeg is not installed.
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "job_runs.h"
#include "support/program_stream.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

const std::string Ffmpeg = "ffmpeg -nostdin -v error -y ";
const std::string Picture = "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 ";
constexpr int Pictures = 50;

std::string tone(int hertz) {
    return "-f lavfi -i sine=frequency=" + std::to_string(hertz) +
           ":sample_rate=48000:duration=2 -ac 2 ";
}

bool succeeds(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Frame start codes that a scan counts in a well-formed program stream: those wholly inside
// one payload run of the video stream (one PES packet's payload within one 32768-byte chunk).
int32_t framesInRuns(const Bytes& file, uint8_t videoId, uint8_t startCodeLast) {
    const uint8_t* b = file.data();
    int32_t frames = 0;
    for (const StreamPacket& packet : streamPackets(file)) {
        if (packet.streamId != videoId) continue;
        for (size_t p = packet.payload(file); p + 4 <= packet.end; ++p)
            if (b[p] == 0 && b[p + 1] == 0 && b[p + 2] == 1 && b[p + 3] == startCodeLast &&
                p / 32768 == (p + 3) / 32768)
                ++frames;
    }
    return frames;
}

class FfmpegMuxedFiles : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (!succeeds("ffmpeg -version > /dev/null 2>&1"))
            GTEST_SKIP() << "ffmpeg is not installed";
    }
    // Encodes an elementary stream into the folder: ffmpeg arguments and the file's name.
    std::string encode(const std::string& args, const std::string& name) {
        const std::string path = folder / name;
        if (!succeeds(Ffmpeg + args + "'" + path + "'")) ADD_FAILURE() << "cannot make " << name;
        return path;
    }
    // Muxes the streams with the muxer under test into NAME.EVO, copying them (or encoding
    // with codecArgs) and chooses the file.
    std::string mux(const std::vector<std::string>& inputs, const std::string& name,
                    const std::string& codecArgs = "-c copy") {
        std::string command = Ffmpeg;
        for (const std::string& input : inputs)
            command += input + " ";
        for (size_t i = 0; i < inputs.size(); ++i)
            command += "-map " + std::to_string(i) + " ";
        const std::string path = folder / (name + ".EVO");
        EXPECT_TRUE(succeeds(command + codecArgs + " -f " + GetParam() + " '" + path + "'"));
        chooseEvo(rs, path);
        return path;
    }
    std::string input(const std::string& path) const { return "-i '" + path + "'"; }
    // Read EVO: its lines up to "Done.", checked against the expected ones; the frame count
    // line must give what a scan of this layout counts; the timing lines follow. (Raw MPEG-2
    // video copied in carries no timestamps: nothing is measured against it.)
    void expectReadEvo(const Lines& untilDone, int32_t frames, const Lines& timing = {}) {
        EXPECT_EQ(readEvo(rs), untilDone + frameCountLines({frames, 0}) + timing);
    }

    TempFolder folder, out;
    WindowRuns rs;
};

TEST_P(FfmpegMuxedFiles, MpegTwoWithTwoAc3StreamsComesBackByteForByte) {
    const std::string video = encode(Picture + "-c:v mpeg2video -b:v 1M -f mpeg2video ", "v.m2v");
    const std::string first = encode(tone(440) + "-c:a ac3 -b:a 192k -f ac3 ", "first.ac3");
    const std::string second = encode(tone(660) + "-c:a ac3 -b:a 192k -f ac3 ", "second.ac3");
    const std::string evo = mux({input(video), input(first), input(second)}, "TWO_AC3");
    const int32_t frames = framesInRuns(readBytes(evo), 0xE0, 0x00);
    EXPECT_GT(frames, Pictures - 5);

    expectReadEvo({"Opening file TWO_AC3.EVO", "File size: 0 Mbytes.",
                   "It contains 1 video stream and 2 audio streams.",
                   "MPEG-2 video stream 0 found!", "DD audio stream 0 found!",
                   "DD audio stream 1 found!", "Done."},
                  frames);
    demuxInto(rs, out.path());
    EXPECT_TRUE(sameBytes(video, out / "TWO_AC3.MPEG-2.stream.0.mpv"));
    EXPECT_TRUE(sameBytes(first, out / "TWO_AC3.DD.stream.00.mpa"));
    EXPECT_TRUE(sameBytes(second, out / "TWO_AC3.DD.stream.01.mpa"));
    EXPECT_EQ(rs.frames[0], frames);
}

TEST_P(FfmpegMuxedFiles, MpegTwoWithDtsComesBackByteForByte) {
    const std::string video = encode(Picture + "-c:v mpeg2video -b:v 1M -f mpeg2video ", "v.m2v");
    const std::string dts = encode(tone(440) + "-c:a dca -strict -2 -b:a 768k -f dts ", "a.dts");
    const std::string evo = mux({input(video), input(dts)}, "DTS");
    expectReadEvo({"Opening file DTS.EVO", "File size: 0 Mbytes.",
                   "It contains 1 video stream and 1 audio stream.", "MPEG-2 video stream 0 found!",
                   "DTS HD audio stream 0 found!", "Done."},
                  framesInRuns(readBytes(evo), 0xE0, 0x00));
    demuxInto(rs, out.path());
    EXPECT_TRUE(sameBytes(video, out / "DTS.MPEG-2.stream.0.mpv"));
    EXPECT_TRUE(sameBytes(dts, out / "DTS.DTSHD.stream.00.mpa"));
}

TEST_P(FfmpegMuxedFiles, MpegTwoWithLpcmComesBackByteForByte) {
    // The muxer writes 16-bit big-endian samples behind a 7-byte LPCM sub-stream header, the
    // packets cut at sample boundaries: the payloads are the samples, in order. (Its complaints
    // about its buffer model for uncompressed audio are silenced.)
    const std::string video = encode(Picture + "-c:v mpeg2video -b:v 1M -f mpeg2video ", "v.m2v");
    const std::string pcm = encode(tone(440) + "-f s16be ", "a.pcm");
    const std::string evo = mux({input(video), "-f s16be -ar 48000 -ac 2 " + input(pcm)}, "LPCM",
                                "-v fatal -c:v copy -c:a pcm_s16be");
    expectReadEvo({"Opening file LPCM.EVO", "File size: 0 Mbytes.",
                   "It contains 1 video stream and 1 audio stream.", "MPEG-2 video stream 0 found!",
                   "LPCM audio stream 0 found!", "Done."},
                  framesInRuns(readBytes(evo), 0xE0, 0x00));
    demuxInto(rs, out.path());
    EXPECT_TRUE(sameBytes(video, out / "LPCM.MPEG-2.stream.0.mpv"));
    EXPECT_TRUE(sameBytes(pcm, out / "LPCM.LPCM.stream.00.mpa"));
}

TEST_P(FfmpegMuxedFiles, H264WithAc3ComesBackByteForByte) {
    // With access unit delimiters, the H.264 frame start codes.
    const std::string video =
        encode(Picture + "-c:v libx264 -preset ultrafast -x264-params aud=1 -f h264 ", "v.h264");
    const std::string ac3 = encode(tone(440) + "-c:a ac3 -b:a 192k -f ac3 ", "a.ac3");
    const std::string evo = mux({input(video), input(ac3)}, "AVC");
    const int32_t frames = framesInRuns(readBytes(evo), 0xE2, 0x09);
    EXPECT_GT(frames, Pictures - 5);
    expectReadEvo({"Opening file AVC.EVO", "File size: 0 Mbytes.",
                   "It contains 1 video stream and 1 audio stream.", "H.264 video stream 0 found!",
                   "DD audio stream 0 found!", "Done."},
                  frames, {"Video frame rate: 25 fps.", "DD.stream.00 starts with the picture."});
    demuxInto(rs, out.path());
    EXPECT_TRUE(sameBytes(video, out / "AVC.H.264.stream.0.mpv"));
    EXPECT_TRUE(sameBytes(ac3, out / "AVC.DD.stream.00.mpa"));
}

INSTANTIATE_TEST_SUITE_P(Muxers, FfmpegMuxedFiles, ::testing::Values("dvd", "vob"),
                         [](const auto& info) { return std::string(info.param); });

// An AC-3 and a DTS stream that ffmpeg encoded, 0x80 and 0x88 once muxed: both audio index 0.
class FfmpegAudioIndex : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!succeeds("ffmpeg -version > /dev/null 2>&1"))
            GTEST_SKIP() << "ffmpeg is not installed";
        ASSERT_TRUE(succeeds(Ffmpeg + tone(440) + "-c:a ac3 -b:a 192k -f ac3 '" + ac3 + "'"));
        ASSERT_TRUE(
            succeeds(Ffmpeg + tone(660) + "-c:a dca -strict -2 -b:a 768k -f dts '" + dts + "'"));
    }
    std::string mux(const std::vector<std::string>& inputs, const std::string& name) {
        std::string command = Ffmpeg;
        for (const std::string& input : inputs)
            command += "-i '" + input + "' ";
        for (size_t i = 0; i < inputs.size(); ++i)
            command += "-map " + std::to_string(i) + " ";
        const std::string evo = folder / name;
        EXPECT_TRUE(succeeds(command + "-c copy -f dvd '" + evo + "'"));
        return evo;
    }

    TempFolder folder, out;
    const std::string ac3 = folder / "a.ac3";
    const std::string dts = folder / "a.dts";
};

// ffmpeg numbers each codec from its own base: AC-3 0x80 and DTS 0x88 are both audio stream 0.
// Once both streams' payloads went into one output, which no player can use, then the later one
// was left out. Each is a track of its own, whose file holds it alone.
TEST_F(FfmpegAudioIndex, Ac3AndDtsOnOneAudioNumberWereMixedIntoOneFile) {
    const std::string evo = mux({ac3, dts}, "SHARED.EVO");
    WindowRuns rs;
    chooseEvo(rs, evo);
    const Lines read = readEvo(rs);
    EXPECT_EQ(std::count(read.begin(), read.end(), "DD audio stream 0 found!"), 1);
    EXPECT_EQ(std::count(read.begin(), read.end(), "DTS HD audio stream 0 found!"), 1);
    EXPECT_TRUE(rs.label({TrackKind::Audio, 1}).empty());
    demuxInto(rs, out.path());
    EXPECT_EQ(fileNamesIn(out.path()),
              (Lines{"SHARED.DD.stream.00.mpa", "SHARED.DTSHD.stream.00.mpa"}));
    EXPECT_TRUE(sameBytes(ac3, out / "SHARED.DD.stream.00.mpa"));
    EXPECT_TRUE(sameBytes(dts, out / "SHARED.DTSHD.stream.00.mpa"));
}

// The second part's scan started from an empty table: its DTS took audio index 0 afresh and
// went on the end of the first part's AC-3 file. A stream the first part lacks has no output
// to go to: it is left out, with a line.
TEST_F(FfmpegAudioIndex, ASecondPartsOtherCodecOnTheFirstPartsNumberWasMixedIntoItsFile) {
    const std::string evo = mux({ac3}, "MIXED_1.EVO");
    mux({dts}, "MIXED_2.EVO");
    WindowRuns rs;
    chooseEvo(rs, evo);
    readEvo(rs);
    const Lines demuxed = demuxInto(rs, out.path());
    const std::string leftOut =
        "DTS HD audio stream 0 found in MIXED_2.EVO, not in MIXED_1.EVO: left out";
    EXPECT_EQ(std::count(demuxed.begin(), demuxed.end(), leftOut), 1);
    EXPECT_EQ(fileNamesIn(out.path()), Lines{"MIXED_1_2.DD.stream.00.mpa"});
    EXPECT_TRUE(sameBytes(ac3, out / "MIXED_1_2.DD.stream.00.mpa"));
}

} // namespace
} // namespace splitwick::testing
