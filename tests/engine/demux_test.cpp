#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/demux.h"
#include "engine/job_error.h"
#include "support/pes_fixture.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

struct DemuxRun : RecordingSession {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";

    void open(const Bytes& bytes) {
        writeBytes(evo, bytes);
        state().Source = std::make_unique<SourceFile>(evo);
    }
    void run(bool writeFlag) {
        demux(session, writeFlag);
        EXPECT_FALSE(controls.buttonEnabled(Button::Cancel));
    }
};

TEST(SystemHeaderLine, TellsTheBoundsOfTheFirstPack) {
    const std::vector<std::tuple<int, int, std::string>> cases = {
        {1, 1, "It contains 1 video stream and 1 audio stream."},
        {2, 8, "It contains 2 video streams and 8 audio streams."},
        {0, 0, "It contains 0 video stream and 0 audio stream."},
    };
    for (const auto& [video, audio, line] : cases) {
        for (bool writeFlag : {false, true}) {
            DemuxRun r;
            r.open(systemHeaderPack(video, audio) + repeat(paddingPack(), 15));
            r.run(writeFlag);
            EXPECT_EQ(r.lines(), std::vector<std::string>{line})
                << (writeFlag ? "demux mode" : "check mode");
        }
    }
}

TEST(SystemHeaderLine, NeedsAFullFirstChunkWithTheHeaderAtByte14) {
    DemuxRun shortFile;
    shortFile.open(systemHeaderPack(1, 1) + repeat(videoPack(0xE0, 0), 14));
    shortFile.run(true);
    EXPECT_TRUE(shortFile.lines().empty());

    DemuxRun noHeader;
    noHeader.open(repeat(videoPack(0xE0, 0), 16));
    noHeader.run(true);
    EXPECT_TRUE(noHeader.lines().empty());
}

TEST(Progress, ReportedAtEvery4MiBAndLetsEventsThroughThere) {
    DemuxRun r;
    r.open(Bytes(8 * MiB + 1000, 0));
    r.run(false);
    ASSERT_EQ(r.report.progress.size(), 2u);
    EXPECT_EQ(r.report.progress[0].rfind("Reading FEATURE_1.EVO 4/8 Mbytes, Remaining time: ", 0),
              0u);
    EXPECT_EQ(r.report.progress[1].rfind("Reading FEATURE_1.EVO 8/8 Mbytes, Remaining time: ", 0),
              0u);
    EXPECT_EQ(r.events.pumps, 2);

    DemuxRun small;
    small.open(Bytes(4 * MiB - 1, 0));
    small.run(true);
    EXPECT_TRUE(small.report.progress.empty());
    EXPECT_EQ(small.events.pumps, 0);
}

TEST(Cancel, TakesEffectAfterTheChunkInHandAndClearsTheFrameCounts) {
    DemuxRun r;
    r.open(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    r.events.onPump = [&] { r.state().Cancelled = true; };
    r.run(false);
    EXPECT_TRUE(r.state().Cancelled);
    EXPECT_EQ(r.state().Source->position(), 4 * MiB);
    EXPECT_EQ(r.state().FrameCount, (std::array<int64_t, 2>{0, 0}));

    DemuxRun whole;
    whole.open(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    whole.run(false);
    EXPECT_FALSE(whole.state().Cancelled);
    EXPECT_EQ(whole.state().FrameCount[0], 4096);
}

TEST(FastCheck, StopsReadEvoAfterTheChunkPast300MB) {
    DemuxRun r;
    writeBytes(r.evo, {});
    ASSERT_EQ(::truncate(r.evo.c_str(), FastCheckLimit + 5 * 32768), 0); // sparse: quick to read
    for (bool writeFlag : {false, true}) {
        r.state().Source.reset();
        r.state().Source = std::make_unique<SourceFile>(r.evo);
        r.run(writeFlag);
        EXPECT_EQ(r.state().Source->position(), writeFlag ? FastCheckLimit + 5 * 32768 : 300023808);
        EXPECT_EQ(r.state().Cancelled, !writeFlag);
    }
}

TEST(Writer, WritesAndCountsOnlyTickedStreamsReadingTicksLive) {
    DemuxRun r;
    const Bytes both = videoPack(0xE0, 2) + videoPack(0xE1, 3);
    r.open(repeat(both, 2 * MiB / PackSize * 2)); // 8 MiB: events at 4 and 8 MiB
    r.controls.setTicked({BoxKind::Video, 0}, true);
    r.state().VideoOut[0] = std::make_unique<OutputFile>(r.dir / "video0");
    // Counting stops while cbCountFr is unticked: from the 4 MiB point on, which comes before
    // the chunk that ends there is scanned.
    r.events.onPump = [&] { r.controls.setOption(Option::CountFrames, false); };
    r.run(true);
    closeOutputs(r.state());
    EXPECT_EQ(r.state().FrameCount[0], 2 * (1024 - 8));
    EXPECT_EQ(r.state().FrameCount[1], 0);
    EXPECT_EQ(readBytes(r.dir / "video0").size(), 2048 * (PackSize - 14 - 9));
}

TEST(ReadFailure, AFileThatShrinksEndsTheScanWithAnErrorNamingIt) {
    DemuxRun r;
    r.open(Bytes(3 * 32768, 0));
    ASSERT_EQ(::truncate(r.evo.c_str(), 32768), 0);
    try {
        r.run(false);
        FAIL() << "no error";
    } catch (const JobError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot read file \"" + r.evo + "\". ", 0), 0u);
    }
    EXPECT_FALSE(r.controls.buttonEnabled(Button::Cancel));
}

} // namespace
} // namespace splitwick::testing
