// The timing a scan finds in EVOs of ffmpeg-encoded streams that the test-file maker laid out
// with known starts: each stream's first PTS and its delay against the first presented picture
// (B-frames put that behind the first PTS in the file), across the 2^33 wrap, video stream 0's
// frame rate, a split title's seam, and what Read EVO logs of it.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/evo_scan.h"
#include "job_runs.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Wrap = int64_t(1) << 33;

// Audio before and after the picture, a stream with it, film-rate H.264 with two B-frames.
const EncodedTitle FilmWithAudio = {{
    {Encoded::H264At24000_1001},
    {Encoded::Ac3, 37},
    {Encoded::Eac3, -50},
    {Encoded::Dts, 0},
    {Encoded::Lpcm16Stereo, -1000},
}};

const StreamStart* startOf(const PartTiming& part, TrackName name) {
    const auto it = std::find_if(part.streams.begin(), part.streams.end(),
                                 [&](const StreamStart& s) { return s.track.name() == name; });
    return it == part.streams.end() ? nullptr : &*it;
}

// The part's timing is what the maker put in it: the reference, and each stream's first PTS and
// delay; no stream the maker did not lay out.
void expectMadeTiming(const maker::PartTiming& made, const PartTiming& found) {
    ASSERT_TRUE(made.referencePts && found.referencePts);
    EXPECT_EQ(int64_t(*made.referencePts), *found.referencePts);
    EXPECT_EQ(found.streams.size(), made.streams.size());
    for (const maker::StreamTiming& stream : made.streams) {
        SCOPED_TRACE(stream.box.jsonName());
        const StreamStart* start = startOf(found, stream.box);
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(int64_t(*stream.firstPts), start->firstPts);
        EXPECT_EQ(stream.delayMs, start->delayMs);
    }
}

struct ReadTitle {
    WindowRuns rs;
    TempFolder folder;
    maker::MadeEsEvo made;
    Lines read;

    explicit ReadTitle(const EncodedTitle& title, const std::string& name = "FEATURE.EVO")
        : made(makeEncodedEvo(title, folder / name)) {
        chooseEvo(rs, made.evo.parts[0].path);
        read = readEvo(rs);
    }
    const PartTiming& firstPart() { return rs.timing.parts.at(0); }
};

TEST(StreamTiming, DelaysBeforeAndAfterThePictureAndReadEvosLines) {
    ReadTitle t(FilmWithAudio);
    ASSERT_EQ(t.rs.timing.parts.size(), 1u);
    expectMadeTiming(t.made.parts[0], t.firstPart());
    EXPECT_EQ(t.firstPart().videoFrameRate->text(), "24000/1001");
    EXPECT_EQ(t.made.videoFrameRate, "24000/1001");

    const Lines timing(t.read.end() - 5, t.read.end());
    EXPECT_EQ(timing, (Lines{"Video frame rate: 24000/1001 fps.",
                             "DD.stream.00 starts 37 ms after the picture.",
                             "DD+.stream.01 starts 50 ms before the picture.",
                             "DTSHD.stream.02 starts with the picture.",
                             "LPCM.stream.03 starts 1000 ms before the picture."}));
}

TEST(StreamTiming, StartsAcrossThePtsWrapKeepTheirSigns) {
    // The picture starts 20 ms before the wrap: the audio 37 ms after it starts beyond the wrap,
    // at a small PTS, the audio 50 ms before it at a PTS near 2^33.
    EncodedTitle title = FilmWithAudio;
    title.ptsBase = Wrap - 1800;
    ReadTitle t(title);
    expectMadeTiming(t.made.parts[0], t.firstPart());
    EXPECT_LT(t.firstPart().streams[1].firstPts, 1800 + 37 * 90);
    EXPECT_EQ(t.firstPart().streams[1].delayMs, 37);
    EXPECT_EQ(t.firstPart().streams[2].delayMs, -50);
}

TEST(StreamTiming, FrameRatesOfFilmAndPal) {
    for (const Encoded video : {Encoded::H264At25, Encoded::Mpeg2At25}) {
        ReadTitle t({{{video}, {Encoded::Ac3, 0}}});
        expectMadeTiming(t.made.parts[0], t.firstPart());
        ASSERT_TRUE(t.firstPart().videoFrameRate);
        EXPECT_EQ(t.firstPart().videoFrameRate->text(), "25");
        EXPECT_EQ(t.made.videoFrameRate, "25");
    }
}

TEST(StreamTiming, SecondPartOfASplitTitleStartsAtTheFirstPartsVideoEnd) {
    EncodedTitle title = FilmWithAudio;
    title.parts = 2;
    ReadTitle t(title, "FEATURE_1.EVO");
    TempFolder out;
    demuxInto(t.rs, out.path());
    const TitleTiming& timing = t.rs.timing;
    ASSERT_EQ(timing.parts.size(), 2u);
    EXPECT_EQ(timing.parts[0].file, "FEATURE_1.EVO");
    EXPECT_EQ(timing.parts[1].file, "FEATURE_2.EVO");
    expectMadeTiming(t.made.parts[0], timing.parts[0]);
    expectMadeTiming(t.made.parts[1], timing.parts[1]);

    // The second part begins with a key picture of an open GOP, presented after the B-frames
    // decoded behind it: its first PTS is not the first presented picture.
    EXPECT_GT(*startOf(timing.parts[1], {TrackKind::Video, 0})->delayMs, 0);
    // The maker cuts without a jump: the second part's picture goes on where the first's ended,
    // one film frame after its last.
    EXPECT_EQ(timing.parts[1].seamMs, 0);
    const double videoEnd = double(*t.made.parts[0].lastVideoPts) + 90000.0 * 1001 / 24000;
    for (const maker::StreamTiming& stream : t.made.parts[1].streams) {
        SCOPED_TRACE(stream.box.jsonName());
        EXPECT_EQ(startOf(timing.parts[1], stream.box)->afterSeamMs,
                  std::llround((double(*stream.firstPts) - videoEnd) / 90));
    }
    EXPECT_FALSE(timing.parts[0].seamMs);
}

TEST(StreamTiming, FastCheckedReadGivesTheTimingOfWhatItRead) {
    ReadTitle t(FilmWithAudio);
    // Beyond the title, zeros up to past the fast-check limit: a hole, read back fast.
    std::filesystem::resize_file(t.made.evo.parts[0].path, FastCheckLimit + 2 * BufferSize);
    t.rs.request.fastCheck = true;
    const Lines read = readEvo(t.rs);
    EXPECT_EQ(t.rs.events.ends.back(), StopReason::FastCheckLimit);
    expectMadeTiming(t.made.parts[0], t.firstPart());
    EXPECT_EQ(read.back(), "LPCM.stream.03 starts 1000 ms before the picture.");
}

TEST(StreamTiming, CancelledReadReportsNone) {
    // As it reports no frame counts: it read part of the file, as it was asked.
    ReadTitle t(FilmWithAudio);
    std::filesystem::resize_file(t.made.evo.parts[0].path, 8 * MiB);
    t.rs.events.onProgress = [&] { t.rs.events.stop = true; };
    const Lines read = readEvo(t.rs);
    EXPECT_EQ(t.rs.events.ends.back(), StopReason::Cancelled);
    EXPECT_TRUE(t.rs.timing.parts.empty());
    EXPECT_EQ(read.back(), "Done.");
}

} // namespace
} // namespace splitwick::testing
