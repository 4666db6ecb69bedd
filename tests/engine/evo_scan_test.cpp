#include <gtest/gtest.h>

#include <unistd.h>

#include <bitset>

#include "engine/evo_scan.h"
#include "engine/frame_counter.h"
#include "engine/job_error.h"
#include "engine/stream_finder.h"
#include "engine/stream_writer.h"
#include "support/pes_fixture.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// A scan in check mode with Read EVO's finder (and the fast check), or in demux mode with a
// writer over outputs, each with its frame counts.
struct DemuxRun {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    RecordingEvents events;
    OpenFiles files;
    OutputSet outputs;
    TrackList tracks;
    std::bitset<3 * 256> written;
    FrameCounts frameCount{};
    StreamFinder finder{events};
    ScanLines lines{events};
    StreamWriter writer{outputs, events};
    FrameTally frames{true};

    void write(const Bytes& bytes) { writeBytes(evo, bytes); }
    const std::vector<std::string>& logged() const { return events.lines; }
    StopReason run(bool writeFlag) {
        if (writeFlag)
            frames.countWritten(frameCount, written);
        else
            frames.countEveryStream(frameCount);
        ScanSinks demuxing{&lines, &writer};
        ScanSinks sinks{writeFlag ? static_cast<ScanSink*>(&demuxing) : &finder, &frames};
        const ScanMode mode =
            writeFlag ? ScanMode{true, false, {"Demuxing"}} : ScanMode{false, true, {"Reading"}};
        const StopReason stop =
            scanEvo(events, std::make_unique<SourceFile>(evo, files), sinks, tracks, mode);
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
            EXPECT_EQ(r.logged(), std::vector<std::string>{line})
                << (writeFlag ? "demux mode" : "check mode");
        }
    }
}

TEST(SystemHeaderLine, NeedsAFullFirstChunkWithTheHeaderAtByte14) {
    DemuxRun shortFile;
    shortFile.write(systemHeaderPack(1, 1) + repeat(videoPack(0xE0, 0), 14));
    shortFile.run(true);
    EXPECT_TRUE(shortFile.logged().empty());

    DemuxRun noHeader;
    noHeader.write(repeat(videoPack(0xE0, 0), 16));
    noHeader.run(true);
    EXPECT_TRUE(noHeader.logged().empty());
}

TEST(Progress, ReportedAtEvery4MiB) {
    DemuxRun r;
    r.write(Bytes(8 * MiB + 1000, 0));
    r.run(false);
    ASSERT_EQ(r.events.progressLines.size(), 2u);
    EXPECT_EQ(r.events.progressLines[0].rfind("Reading FEATURE_1.EVO 4/8 Mbytes, Remaining time: ", 0),
              0u);
    EXPECT_EQ(r.events.progressLines[1].rfind("Reading FEATURE_1.EVO 8/8 Mbytes, Remaining time: ", 0),
              0u);

    DemuxRun small;
    small.write(Bytes(4 * MiB - 1, 0));
    small.run(true);
    EXPECT_TRUE(small.events.progressLines.empty());
}

TEST(Cancel, TakesEffectAfterTheChunkInHand) {
    DemuxRun r;
    r.write(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    r.events.onProgress = [&] { r.events.stop = true; };
    EXPECT_EQ(r.run(false), StopReason::Cancelled);
    EXPECT_EQ(r.events.ends, std::vector<StopReason>{StopReason::Cancelled});
    EXPECT_EQ(r.events.endPosition, 4 * MiB);
    EXPECT_EQ(r.frameCount[0], 2048);

    DemuxRun whole;
    whole.write(repeat(videoPack(0xE0, 1), 4 * MiB / PackSize * 2));
    EXPECT_EQ(whole.run(false), StopReason::EndOfFile);
    EXPECT_EQ(whole.frameCount[0], 4096);
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

TEST(Writer, WritesAndCountsOnlyTheTracksItWrites) {
    DemuxRun r;
    const Bytes both = videoPack(0xE0, 2) + videoPack(0xE1, 3);
    r.write(repeat(both, 2 * MiB / PackSize * 2));
    const TrackId video0{IdField::StreamId, 0xE0};
    r.outputs.add(video0, std::make_unique<OutputFile>(r.dir / "video0", r.files));
    r.written[size_t(video0.key())] = true;
    r.run(true);
    r.outputs.close();
    EXPECT_EQ(r.frameCount[0], 2 * 2048);
    EXPECT_EQ(r.frameCount[1], 0);
    EXPECT_EQ(readBytes(r.dir / "video0").size(), 2048 * (PackSize - 14 - 9));
}

TEST(ReadFailure, AFileThatShrinksEndsTheScanWithAnErrorNamingIt) {
    DemuxRun r;
    r.write(Bytes(3 * 32768, 0));
    auto source = std::make_unique<SourceFile>(r.evo, r.files);
    ASSERT_EQ(::truncate(r.evo.c_str(), 32768), 0);
    try {
        scanEvo(r.events, std::move(source), r.finder, r.tracks, {false, false, {"Reading"}});
        FAIL() << "no error";
    } catch (const JobError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot read file \"" + r.evo + "\". ", 0), 0u);
    }
    // The window learns that the pass ended, and how.
    EXPECT_EQ(r.events.ends, std::vector<StopReason>{StopReason::Error});
}

} // namespace
} // namespace splitwick::testing
