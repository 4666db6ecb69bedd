// The Matroska writer on its own: every track flag as the playlist's kinds and the caller give
// it, and a file that cannot be stored.
#include <gtest/gtest.h>

#include <vector>

#include "engine/job_error.h"
#include "mux/matroska_writer.h"
#include "support/encoded_streams.h"
#include "support/job_error_of.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Ac3Ticks = 2880;

// The AC-3 stream's frames, and its setup.
struct Ac3Frames {
    std::vector<AVPacket*> packets;
    StreamParameters parameters;
    Ac3Frames() {
        Bytes es = readBytes(encoded(Encoded::Ac3).es);
        const size_t size = es.size();
        es.resize(size + AV_INPUT_BUFFER_PADDING_SIZE); // read by the parser, as allowed
        FrameCutter cutter(AV_CODEC_ID_AC3,
                           [&](const CutFrame& frame) { packets.push_back(frame.packet); });
        cutter.feed(es.data(), size, 0, 0);
        cutter.finish();
        parameters = cutter.parameters();
    }
    ~Ac3Frames() {
        for (AVPacket*& packet : packets)
            av_packet_free(&packet);
    }
};

// Writes the tracks, each with every frame.
void write(OutputFile& out, const std::vector<MatroskaTrack>& tracks, const Ac3Frames& frames,
           const TitleChapters& chapters = {}) {
    MatroskaWriter writer(out);
    writer.start(tracks, "@Home: Ça commence", false);
    for (size_t i = 0; i < frames.packets.size(); ++i)
        for (size_t track = 0; track < tracks.size(); ++track)
            writer.write({track, av_packet_clone(frames.packets[i]), int64_t(i) * Ac3Ticks,
                          int64_t(i) * Ac3Ticks, Ac3Ticks, true});
    writer.finish(chapters, int64_t(frames.packets.size()) * Ac3Ticks);
}

TEST(MatroskaWriter, TracksCarryTheirLabelsFlagsTitleAndChapters) {
    const Ac3Frames frames;
    const struct {
        TrackLabel label;
        bool isDefault, forced;
        MkvTrack identified;
    } rows[] = {
        {{"eng", "normal", "English"}, false, false, {"A_AC3", "eng", "English", false}},
        {{"ger", "commentary", "Kommentar"},
         true,
         false,
         {"A_AC3", "ger", "Kommentar", true, true}},
        {{"fre", "visually-impaired", ""}, false, false, {"A_AC3", "fre", "", false, false, true}},
        {{"jpn", "hearing-impaired", ""},
         false,
         false,
         {"A_AC3", "jpn", "", false, false, false, true}},
        // The kind alone does not force: the forced flag is the caller's.
        {{"spa", "forced", "Forzado"},
         false,
         false,
         {"A_AC3", "spa", "Forzado", false, false, false, false, false}},
        {{"ita", "normal", "Forzato"},
         true,
         true,
         {"A_AC3", "ita", "Forzato", true, false, false, false, true}},
    };
    std::vector<MatroskaTrack> tracks;
    std::vector<MkvTrack> expected;
    for (const auto& row : rows) {
        tracks.push_back(
            {MuxCodec::Ac3, row.label, row.isDefault, frames.parameters, 0, {}, row.forced});
        expected.push_back(row.identified);
    }
    TempFolder folder;
    const std::string path = folder / "T.mkv";
    OpenFiles held;
    OutputFile out(path, held);
    write(out, tracks, frames, {"fre", {{0, "Début"}, {1'500'000'000, "Suite"}}});
    out.close();

    const MkvFile mkv = identifyMkv(path);
    EXPECT_EQ(mkv.title, "@Home: Ça commence");
    EXPECT_EQ(mkv.chapters, 2);
    EXPECT_EQ(mkv.tracks, expected);
    EXPECT_EQ(outputLines("ffprobe -v error -show_entries chapter=start_time,end_time:"
                          "chapter_tags=title -of csv=p=0 " +
                          inQuotes(path)),
              (std::vector<std::string>{"0.000000,1.500000,Début", "1.500000,3.008000,Suite"}));
    EXPECT_EQ(decodingErrors(path), "");
}

// Chapters handed over out of time order: each ends at the next one's start or its own, never
// before it begins, which the muxer refuses with the whole file.
TEST(MatroskaWriter, ChapterBeforeTheOneBeforeItDoesNotFailTheFile) {
    const Ac3Frames frames;
    TempFolder folder;
    const std::string path = folder / "T.mkv";
    OpenFiles held;
    OutputFile out(path, held);
    write(out, {{MuxCodec::Ac3, {}, true, frames.parameters, 0, {}}}, frames,
          {"eng", {{1'500'000'000, "Suite"}, {0, "Début"}}});
    out.close();

    // mkvmerge reads both; ffmpeg's reader keeps only chapters that begin later than the last.
    EXPECT_EQ(identifyMkv(path).chapters, 2);
}

// The muxer's writes fail as every output's do, and the partial file goes with the output.
TEST(MatroskaWriter, FileThatCannotBeStoredFailsWithAStreamWriteError) {
    const Ac3Frames frames;
    OpenFiles held;
    OutputFile full("/dev/full", held);
    const std::string error = jobErrorOf([&] {
        write(full, {{MuxCodec::Ac3, {}, true, frames.parameters, 0, {}}}, frames);
    });
    EXPECT_EQ(error, "Stream write error");
}

} // namespace
} // namespace splitwick::testing
