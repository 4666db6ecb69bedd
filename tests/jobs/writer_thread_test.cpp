// The .mkv written on a thread of its own beside the pass that reads and scans: the very file,
// and the very events in the very order, that the pass gives writing it on its own thread; a
// Cancel and a failure on either side end the job as they end it there.
#include <algorithm>
#include <array>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/pack_layout.h"
#include "engine/sizes.h"
#include "evo_maker/evo_maker.h"
#include "evo_maker/presets.h"
#include "jobs/demux_job.h"
#include "jobs/writer_thread.h"
#include "mux/matroska_sink.h"
#include "support/encoded_streams.h"
#include "support/job_error_of.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

std::unique_ptr<PassWriter> makeSink(const MkvSetup& setup) {
    return std::make_unique<MatroskaSink>(setup);
}

// What one mkv job told and left.
struct MkvRun {
    RecordingEvents events;
    std::string error;              // the JobError's text; empty for none
    std::vector<std::string> files; // left in the output folder
    Bytes mkv;                      // STEM.mkv, when it was left
};

// The file with its random identifiers (SegmentUID, TrackUID, TagTrackUID: an element ID and
// its size, 16 or 8 bytes) zeroed: two runs of the muxer draw different ones.
Bytes withoutUids(Bytes file) {
    struct Uid {
        std::array<uint8_t, 3> head;
        size_t length;
    };
    constexpr Uid Uids[] = {
        {{0x73, 0xA4, 0x90}, 16}, {{0x73, 0xC5, 0x88}, 8}, {{0x63, 0xC5, 0x88}, 8}};
    for (const Uid& uid : Uids)
        for (auto at = file.begin();
             (at = std::search(at, file.end(), uid.head.begin(), uid.head.end())) != file.end();) {
            at += 3;
            const size_t length = std::min<size_t>(uid.length, size_t(file.end() - at));
            std::fill_n(at, length, 0);
        }
    return file;
}

// Runs the request into a fresh folder, the .mkv written on the pass's thread or beside it;
// `watch` sets the events up (a Cancel at a progress line).
void runMkv(JobRequest request, bool besidePass, const std::string& folder, MkvRun& run,
            const std::function<void(RecordingEvents&)>& watch = {}) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    request.mkv = true;
    request.mkvThread = besidePass;
    request.outputFolder = folder;
    if (watch) watch(run.events);
    // Progress lines go between the log's lines, where they came.
    run.events.onProgress = [&events = run.events, watched = run.events.onProgress] {
        events.lines.push_back(events.progressLines.back());
        if (watched) watched();
    };
    run.error = jobErrorOf([&] { demux(request, run.events, makeSink); });
    run.files = fileNamesIn(folder);
    for (const std::string& name : run.files)
        if (name.ends_with(".mkv") && std::filesystem::is_regular_file(folder + "/" + name))
            run.mkv = withoutUids(readBytes(folder + "/" + name));
}

// The progress lines without their remaining time, which the runs' own speed sets.
std::vector<std::string> withoutTimes(std::vector<std::string> lines) {
    for (std::string& line : lines)
        line = line.substr(0, line.find(", Remaining time: "));
    return lines;
}

// The lines but the progress lines.
std::vector<std::string> withoutProgress(const RecordingEvents& events) {
    std::vector<std::string> lines;
    for (const std::string& line : events.lines)
        if (std::find(events.progressLines.begin(), events.progressLines.end(), line) ==
            events.progressLines.end())
            lines.push_back(line);
    return lines;
}

// Both runs alike, event by event, and the files they left. With endLimit, the writer failed:
// its failure to store comes from the thread that stores the .mkv's bytes, some blocks after
// them, so each pass may have read on up to endLimit, its progress lines with it.
void expectAlike(const MkvRun& one, const MkvRun& beside, int64_t endLimit = 0) {
    if (endLimit == 0) {
        EXPECT_EQ(withoutTimes(beside.events.lines), withoutTimes(one.events.lines));
        EXPECT_EQ(withoutTimes(beside.events.progressLines),
                  withoutTimes(one.events.progressLines));
        EXPECT_GE(beside.events.endPosition, one.events.endPosition);
    } else {
        EXPECT_EQ(withoutProgress(beside.events), withoutProgress(one.events));
    }
    EXPECT_EQ(beside.events.passes, one.events.passes);
    EXPECT_EQ(beside.events.ends, one.events.ends);
    EXPECT_LE(beside.events.endPosition, std::max(endLimit, one.events.endPosition));
    EXPECT_EQ(beside.error, one.error);
    EXPECT_EQ(beside.files, one.files);
    EXPECT_TRUE(beside.mkv == one.mkv) << "the .mkv files differ";
}

struct MadeTitle {
    const char* name;
    EncodedTitle title;
    bool dtsCore; // DTS-HD with its core beside it
};

// Every codec the .mkv takes, a title of two parts (whose seam the writer tells mid-pass), a
// DTS-HD core beside its track, and a long title that fills the queue many times over. (LPCM as
// FLAC is not among them: its encoder's own thread hands frames back as they are done, so that
// two runs on one thread already interleave them differently.)
const MadeTitle Titles[] = {
    {"EveryCodec",
     {{{Encoded::H264At24000_1001, 0},
       {Encoded::Ac3, 100},
       {Encoded::Eac3, -50},
       {Encoded::Dts, 0},
       {Encoded::TrueHd, 100},
       {Encoded::Lpcm16Stereo, 0}}},
     false},
    {"TwoParts", {{{Encoded::Mpeg2At25, 0}, {Encoded::Ac3, 40}}, 90000, 2}, false},
    {"Lossless",
     {{{Encoded::H264At25, 0}, {Encoded::DtsHdMa, 0}, {Encoded::Lpcm16Stereo, 0}}},
     true},
    {"Long", {{{Encoded::Mpeg2Long, 0}, {Encoded::Ac3Long, 0}}}, false},
};

class WriterBesidePass : public ::testing::TestWithParam<MadeTitle> {};

TEST_P(WriterBesidePass, GivesTheFileAndEventsOfOneThread) {
    const MadeTitle& made = GetParam();
    TempFolder disc, out;
    const std::string evo = disc / (made.title.parts > 1 ? "FEATURE_1.EVO" : "FEATURE.EVO");
    makeEncodedEvo(made.title, evo);
    JobRequest request;
    request.evoPath = evo;
    request.dtsCore = made.dtsCore;
    MkvRun one, beside;
    runMkv(request, false, out.path(), one);
    runMkv(request, true, out.path(), beside);
    ASSERT_EQ(one.error, "");
    ASSERT_FALSE(one.mkv.empty());
    expectAlike(one, beside);
}

INSTANTIATE_TEST_SUITE_P(Titles, WriterBesidePass, ::testing::ValuesIn(Titles),
                         [](const auto& info) { return std::string(info.param.name); });

// The maker's payloads are mostly no codec's frames: the writer tells of the subpicture units
// it leaves out and of the streams it finds no frame in all through the pass, between the
// scan's own lines and progress. Its video, which has none either, is not chosen: a .mkv
// without its chosen video is not made.
class MadeUpPayloads : public ::testing::Test {
  protected:
    void SetUp() override {
        maker::makeEvo(maker::featureRecipe(40 * 1048576, 7), evo, expected.path());
        request.evoPath = evo;
        request.choice.names = std::vector<TrackName>{
            {TrackKind::Audio, 0}, {TrackKind::Subpicture, 0}, {TrackKind::Subpicture, 1}};
    }
    TempFolder disc, expected, out;
    const std::string evo = disc / "FEATURE_1.EVO";
    JobRequest request;
};

TEST_F(MadeUpPayloads, WritersLinesComeBetweenTheScansAsOnOneThread) {
    MkvRun one, beside;
    runMkv(request, false, out.path(), one);
    runMkv(request, true, out.path(), beside);
    ASSERT_EQ(one.error, "");
    // Each subpicture stream's first unit left out is told as the writer meets it, the rest
    // summed at its end.
    const auto told = [&](const char* start) {
        return std::count_if(one.events.lines.begin(), one.events.lines.end(),
                             [&](const std::string& line) { return line.starts_with(start); });
    };
    ASSERT_EQ(told("Subpicture unit"), 2);
    ASSERT_EQ(told("... and "), 2);
    expectAlike(one, beside);
}

// The lines up to the first progress line and that line.
std::vector<std::string> untilProgress(const std::vector<std::string>& lines) {
    const auto progress = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(" %, Remaining time: ") != std::string::npos;
    });
    return {lines.begin(), progress == lines.end() ? progress : progress + 1};
}

// A Cancel pressed at the first progress line: the pass beside the writer hears of it once the
// writer has passed that line, reads on for at most the queue's bytes, and drops what the writer
// has not taken; no file is left, and the lines up to the Cancel are one thread's.
TEST_F(MadeUpPayloads, CancelStopsBothWithinTheQueue) {
    const auto cancelAtFirst = [](RecordingEvents& events) {
        events.onProgress = [&events] { events.stop = true; };
    };
    MkvRun one, beside;
    runMkv(request, false, out.path(), one, cancelAtFirst);
    runMkv(request, true, out.path(), beside, cancelAtFirst);
    ASSERT_EQ(one.events.ends, std::vector<StopReason>{StopReason::Cancelled});
    ASSERT_EQ(one.events.endPosition, 4 * 1048576);
    EXPECT_EQ(beside.events.ends, one.events.ends);
    EXPECT_GE(beside.events.endPosition, one.events.endPosition);
    // Payload is nearly all of the maker's packs: twice the writer's read-ahead in file bytes.
    EXPECT_LE(beside.events.endPosition,
              one.events.endPosition + 2 * int64_t(WriterThread::ReadAhead + BufferSize));
    EXPECT_EQ(withoutTimes(untilProgress(beside.events.lines)),
              withoutTimes(untilProgress(one.events.lines)));
    EXPECT_EQ(beside.events.lines.back(), one.events.lines.back());
    EXPECT_EQ(beside.error, "");
    EXPECT_EQ(beside.files, std::vector<std::string>{});
}

// The writer fails mid-pass (its file is a full disk's): the pass stops with its failure, with
// the lines one thread gives.
TEST(WriterFailure, StopsThePassWithTheWritersError) {
    TempFolder disc, out;
    const std::string evo = disc / "FEATURE.EVO";
    makeEncodedEvo({{{Encoded::Mpeg2Long, 0}, {Encoded::Ac3Long, 0}}}, evo);
    JobRequest request;
    request.evoPath = evo;
    MkvRun one, beside;
    const auto full = [&](RecordingEvents&) {
        std::filesystem::create_symlink("/dev/full", out / "FEATURE.mkv");
    };
    runMkv(request, false, out.path(), one, full);
    runMkv(request, true, out.path(), beside, full);
    ASSERT_TRUE(one.error.starts_with("Stream write error")) << one.error;
    ASSERT_EQ(one.events.ends, std::vector<StopReason>{StopReason::Error});
    ASSERT_LT(one.events.endPosition, std::filesystem::file_size(evo) / 2);
    // The failure comes back a cluster or two after the block that failed, as the storing
    // thread gets to it: on a title this small the pass beside may have read to its end.
    expectAlike(one, beside, int64_t(std::filesystem::file_size(evo)));
}

// The scan's side fails (its source's pack is scrambled) while the writer holds what it was
// handed: the writer's events for it come first, then the failure, as on one thread.
TEST(ScanSideFailure, WriterCatchesUpBeforeThePassEnds) {
    TempFolder disc, out;
    const std::string evo = disc / "FEATURE.EVO";
    makeEncodedEvo({{{Encoded::Mpeg2Long, 0}, {Encoded::Ac3Long, 0}}}, evo);
    // Marks a pack two thirds in as scrambled (PES_scrambling_control of its media packet).
    Bytes bytes = readBytes(evo);
    size_t pack = bytes.size() / PackSize * 2 / 3 * PackSize;
    for (; pack + PackSize <= bytes.size(); pack += PackSize)
        if (bytes[pack + 14] == 0 && bytes[pack + 15] == 0 && bytes[pack + 16] == 1 &&
            bytes[pack + 17] == 0xE0)
            break;
    ASSERT_LT(pack + PackSize, bytes.size());
    bytes[pack + 20] |= 0x10;
    writeBytes(evo, bytes);
    JobRequest request;
    request.evoPath = evo;
    MkvRun one, beside;
    runMkv(request, false, out.path(), one);
    runMkv(request, true, out.path(), beside);
    ASSERT_NE(one.error, "");
    expectAlike(one, beside);
}

} // namespace
} // namespace splitwick::testing
