// Demux with LPCM as WAV, over LPCM streams of ffmpeg's pcm_dvd encoder and dvd muxer: the
// command line's one pass and the window's Demux must both leave a WAV file that holds what
// ffmpeg's own decoder makes of the stream, cancelled, split or mixed with another codec too.
#include <filesystem>
#include <ostream>

#include <gtest/gtest.h>

#include "job_runs.h"
#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "support/job_error_of.h"
#include "support/pes_fixture.h"
#include "support/test_files.h"
#include "support/wav_files.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;

// A title of the given ffmpeg-made files as its parts, FEATURE_1.EVO and on, chosen with LPCM
// as WAV.
struct WavDemux {
    explicit WavDemux(const std::vector<std::string>& parts) {
        for (size_t i = 0; i < parts.size(); ++i)
            fs::copy_file(parts[i], folder / ("FEATURE_" + std::to_string(i + 1) + ".EVO"));
        rs.request.lpcmWav = true;
        rs.request.fastCheck = false;
        rs.request.outputFolder = out.path();
        chooseEvo(rs, folder / "FEATURE_1.EVO");
    }
    // The command line's demux: the reads and the job in one pass.
    StopReason onePass() { return demux(rs.request, rs.events).stop; }
    // The window's: Read EVO, then Demux.
    void twoSteps() {
        readEvo(rs);
        demuxInto(rs, out.path());
    }
    // The file's name in the output folder, for a title of two parts when there are two.
    std::string output(const std::string& name) const {
        return out /
               ((fs::exists(folder / "FEATURE_2.EVO") ? "FEATURE_1_2." : "FEATURE_1.") + name);
    }

    TempFolder folder, out, theirs;
    WindowRuns rs;
};

Bytes decoded(const std::string& evo, int sampleBytes, const TempFolder& folder) {
    const std::string path = folder / (fs::path(evo).filename().string() + ".wav");
    decodeWithFfmpeg(path, evo, sampleBytes);
    return wavSamples(path);
}

Bytes joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Format {
    const char* file;
    const char* probe;
    int sampleBytes;
};

void PrintTo(const Format& format, std::ostream* out) {
    *out << format.file;
}

class DemuxLpcmAsWav : public ::testing::TestWithParam<Format> {};

TEST_P(DemuxLpcmAsWav, WritesTheSamplesFfmpegDecodes) {
    const std::string evo = ffmpegMade(GetParam().file);
    WavDemux run({evo});
    EXPECT_EQ(run.onePass(), StopReason::EndOfFile);
    const std::string wav = run.output("LPCM.stream.00.wav");
    EXPECT_NE(std::find(run.rs.lines().begin(), run.rs.lines().end(), "Creating " + wav),
              run.rs.lines().end());
    EXPECT_EQ(probeAudio(wav), GetParam().probe);
    EXPECT_EQ(wavSamples(wav), decoded(evo, GetParam().sampleBytes, run.theirs));
    EXPECT_EQ(fileNamesIn(run.out.path()),
              std::vector<std::string>{"FEATURE_1.LPCM.stream.00.wav"});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DemuxLpcmAsWav,
    ::testing::Values(Format{"LPCM_16_STEREO_48K.EVO", "pcm_s16le,48000,2,unknown", 2},
                      Format{"LPCM_24_5.1_48K.EVO", "pcm_s24le,48000,6,5.1", 3}),
    [](const auto& info) { return info.index == 0 ? "16bitStereo" : "24bit51"; });

// Eight seconds of 24-bit 5.1, about 7 MB: the pass lets events through after its first 4 MiB.
std::string longLpcm(const TempFolder& folder) {
    const std::string path = folder / "LONG.EVO";
    makeWithFfmpeg("-f lavfi -i 'aevalsrc=sin(300*2*PI*t)|sin(410*2*PI*t)|sin(520*2*PI*t)|"
                   "sin(630*2*PI*t)|sin(740*2*PI*t)|sin(850*2*PI*t):c=5.1(side):s=48000:d=8' "
                   "-c:a pcm_dvd -sample_fmt s32",
                   path);
    return path;
}

// Cancelled after its first chunk, the demux leaves a WAV that ffprobe reads, its sizes written,
// holding the start of the stream as ffmpeg decodes it.
TEST(DemuxLpcmAsWavCancelled, LeavesAValidWavOfTheSamplesWritten) {
    TempFolder made;
    const std::string evo = longLpcm(made);
    WavDemux run({evo});
    run.rs.events.onProgress = [&run] {
        if (run.rs.events.passes.back()) run.rs.events.stop = true;
    };
    EXPECT_EQ(run.onePass(), StopReason::Cancelled);
    const std::string wav = run.output("LPCM.stream.00.wav");
    EXPECT_EQ(probeAudio(wav), "pcm_s24le,48000,6,5.1");
    const Bytes ours = wavSamples(wav);
    const Bytes theirs = decoded(evo, 3, run.theirs);
    EXPECT_GT(ours.size(), 3000000u);
    ASSERT_LT(ours.size(), theirs.size());
    EXPECT_TRUE(std::equal(ours.begin(), ours.end(), theirs.begin()));
}

// Both parts of a split title go into one WAV file: one header, whose sizes count both.
TEST(DemuxLpcmAsWavSplitTitle, BothPartsMakeOneValidWav) {
    const std::string evo = ffmpegMade("LPCM_24_5.1_48K.EVO");
    for (const bool onePass : {true, false}) {
        SCOPED_TRACE(onePass ? "one pass" : "Read EVO, then Demux");
        WavDemux run({evo, evo});
        if (onePass)
            run.onePass();
        else
            run.twoSteps();
        const std::string wav = run.output("LPCM.stream.00.wav");
        EXPECT_EQ(probeAudio(wav), "pcm_s24le,48000,6,5.1");
        const Bytes part = decoded(evo, 3, run.theirs);
        EXPECT_EQ(wavSamples(wav), joined(part, part));
    }
}

// LPCM 0xA0 in the first part, DD 0x80 (the same audio number) in the second: the DD bytes must
// not go into the LPCM stream's WAV as if they were samples; the first part lacks the DD stream,
// which has no output to go to.
TEST(DemuxLpcmAsWavRegression, AnotherCodecOnTheIndexNeverReachesTheWav) {
    const std::string lpcm = ffmpegMade("LPCM_16_STEREO_48K.EVO");
    for (const bool onePass : {true, false}) {
        SCOPED_TRACE(onePass ? "one pass" : "Read EVO, then Demux");
        WavDemux run({lpcm, ffmpegMade("DD.EVO")});
        if (onePass)
            run.onePass();
        else
            run.twoSteps();
        const std::string wav = run.output("LPCM.stream.00.wav");
        EXPECT_EQ(wavSamples(wav), decoded(lpcm, 2, run.theirs));
        EXPECT_EQ(std::count(run.rs.lines().begin(), run.rs.lines().end(),
                             "DD audio stream 0 found in FEATURE_2.EVO, not in FEATURE_1.EVO: "
                             "left out"),
                  1);
    }
}

// A format change ends the Demux, the window's after its Read EVO as the one pass alike: the
// same error, and no file left.
TEST(DemuxLpcmAsWavRegression, FormatChangeEndsBothWays) {
    TempFolder made;
    writeBytes(made / "FEATURE_1.EVO", lpcmFormatChangeFile());
    for (const bool onePass : {true, false}) {
        SCOPED_TRACE(onePass ? "one pass" : "Read EVO, then Demux");
        WavDemux run({made / "FEATURE_1.EVO"});
        EXPECT_EQ(jobErrorOf([&] {
                      if (onePass)
                          run.onePass();
                      else
                          run.twoSteps();
                  }),
                  "LPCM audio stream 1 changes from 16-bit 2-channel 48000 Hz to 24-bit 2-channel "
                  "48000 Hz after 1009 sample frames; a WAV file holds one format. Demux the "
                  "stream without WAV conversion");
        EXPECT_EQ(fileNamesIn(run.out.path()), std::vector<std::string>{});
    }
}

} // namespace
} // namespace splitwick::testing
