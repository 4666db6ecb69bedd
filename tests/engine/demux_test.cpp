#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/demux.h"
#include "engine/frame_counter.h"
#include "engine/job_error.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "support/pes_fixture.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// A scan in check mode with Read EVO's finder, or in demux mode with a writer over outputs,
// each with its frame counts.
struct DemuxRun : RecordingSession {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    OutputSet outputs;
    StreamFinder finder{report};
    StreamWriter writer{outputs, report};
    FrameTally frames{true};

    void write(const Bytes& bytes) { writeBytes(evo, bytes); }
    StopReason run(bool writeFlag) {
        if (writeFlag)
            frames.countWritten(state().frameCount, outputs);
        else
            frames.countEveryStream(state().frameCount);
        ScanSinks sinks{writeFlag ? static_cast<ScanSink*>(&writer) : &finder, &frames};
        const StopReason stop =
            scanEvo(session, std::make_unique<SourceFile>(evo, session.openFiles), sinks,
                    state().streamTable, writeFlag ? ScanMode::Demux : ScanMode::Read);
        EXPECT_FALSE(events.passRunning());
        EXPECT_EQ(events.passes, std::vector<bool>{writeFlag});
        return stop;
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
            r.write(systemHeaderPack(video, audio) + repeat(paddingPack(), 15));
            r.run(writeFlag);
            EXPECT_EQ(r.lines(), std::vector<std::string>{line})
                << (writeFlag ? "demux mode" : "check mode");
        }
    }
}

TEST(SystemHeaderLine, NeedsAFullFirstChunkWithTheHeaderAtByte14) {
    DemuxRun shortFile;
    shortFile.write(systemHeaderPack(1, 1) + repeat(videoPack(0xE0, 0), 14));
    shortFile.run(true);
    EXPECT_TRUE(shortFile.lines().empty());

    DemuxRun noHeader;
    noHeader.write(repeat(videoPack(0xE0, 0), 16));
    noHeader.run(true);
    EXPECT_TRUE(noHeader.lines().empty());
}

TEST(Progress, ReportedAtEvery4MiB) {
    DemuxRun r;
    r.write(Bytes(8 * MiB + 1000, 0));
    r.run(false);
    ASSERT_EQ(r.report.progress.size(), 2u);
    EXPECT_EQ(r.report.progress[0].rfind("Reading FEATURE_1.EVO 4/8 Mbytes, Remaining time: ", 0),
              0u);
    EXPECT_EQ(r.report.progress[1].rfind("Reading FEATURE_1.EVO 8/8 Mbytes, Remaining time: ", 0),
              0u);

    DemuxRun small;
    small.write(Bytes(4 * MiB - 1, 0));
    small.run(true);
    EXPECT_TRUE(small.report.progress.empty());
}

TEST(Cancel, TakesEffectAfterTheChunkInHand) {
    DemuxRun r;
    r.write(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    r.report.onProgress = [&] { r.session.cancelRequested = true; };
    EXPECT_EQ(r.run(false), StopReason::Cancelled);
    EXPECT_EQ(r.events.ends, std::vector<StopReason>{StopReason::Cancelled});
    EXPECT_EQ(r.events.endPosition, 4 * MiB);
    EXPECT_EQ(r.state().frameCount[0], 2048);

    DemuxRun whole;
    whole.write(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    EXPECT_EQ(whole.run(false), StopReason::EndOfFile);
    EXPECT_EQ(whole.state().frameCount[0], 4096);
}

TEST(FastCheck, StopsReadEvoAfterTheChunkPast300MB) {
    for (bool writeFlag : {false, true}) {
        DemuxRun r;
        r.write({});
        ASSERT_EQ(::truncate(r.evo.c_str(), FastCheckLimit + 5 * 32768), 0); // sparse
        EXPECT_EQ(r.run(writeFlag), writeFlag ? StopReason::EndOfFile : StopReason::FastCheckLimit);
        EXPECT_EQ(r.events.endPosition, writeFlag ? FastCheckLimit + 5 * 32768 : 300023808);
    }
}

TEST(Writer, WritesAndCountsOnlyStreamsWithAnOutputAsAskedWhenTheScanStarted) {
    DemuxRun r;
    const Bytes both = videoPack(0xE0, 2) + videoPack(0xE1, 3);
    r.write(repeat(both, 2 * MiB / PackSize * 2)); // 8 MiB: events at 4 and 8 MiB
    r.outputs.add({TrackKind::Video, 0},
                  std::make_unique<OutputFile>(r.dir / "video0", r.session.openFiles));
    // A request changed during the scan counts from the next job on.
    r.report.onProgress = [&] { r.session.request.countFrames = false; };
    r.run(true);
    r.outputs.close();
    EXPECT_EQ(r.state().frameCount[0], 2 * 2048);
    EXPECT_EQ(r.state().frameCount[1], 0);
    EXPECT_EQ(readBytes(r.dir / "video0").size(), 2048 * (PackSize - 14 - 9));
}

TEST(ReadFailure, AFileThatShrinksEndsTheScanWithAnErrorNamingIt) {
    DemuxRun r;
    r.write(Bytes(3 * 32768, 0));
    auto source = std::make_unique<SourceFile>(r.evo, r.session.openFiles);
    ASSERT_EQ(::truncate(r.evo.c_str(), 32768), 0);
    try {
        scanEvo(r.session, std::move(source), r.finder, r.state().streamTable, ScanMode::Read);
        FAIL() << "no error";
    } catch (const JobError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot read file \"" + r.evo + "\". ", 0), 0u);
    }
    // The window learns that the pass ended, and how.
    EXPECT_EQ(r.events.ends, std::vector<StopReason>{StopReason::Error});
}

} // namespace
} // namespace splitwick::testing
