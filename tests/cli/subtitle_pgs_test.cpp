// Subpicture streams converted to PGS, with ffmpeg as the independent oracle on both sides: it
// decodes the HD DVD units straight from the maker's EVO, and the PGS from the .sup files and
// the .mkv; both rendered on a 1920x1080 canvas must show the same pixels at the same
// milliseconds, also when only forced subtitles are shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_program.h"
#include "evo_maker/spu_maker.h"
#include "playlist_writer.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

constexpr int64_t Spacing = 99000; // 1.1 s between units
constexpr int64_t TicksPerMs = 90;

// One subpicture stream of the title: its synthetic units and its start against the picture.
struct SpuStream {
    int units;
    uint64_t seed;
    int64_t startMs;
    int broken = -1; // the unit whose top field lies outside it
    int id = -1;     // its sub-stream id; by default 0x20 on, in order
};

// The canvas each time it changes: ms on the title's timeline and the MD5 of its RGBA pixels.
struct Shown {
    int64_t ms;
    std::string md5;
    bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.ms << " " << s.md5;
}

// ffmpeg's rendering of subtitle stream `index` of the input, its timestamps as stored (less
// `zeroTicks`, in the stream's time base, which framemd5 names).
std::vector<Shown> rendered(const std::string& input, int index, int64_t zeroTicks,
                            bool forcedOnly = false) {
    const auto lines = outputLines(
        std::string("ffmpeg -nostdin -v error -copyts ") +
        (forcedOnly ? "-forced_subs_only 1 " : "") + "-canvas_size 1920x1080 -i " +
        inQuotes(input) + " -filter_complex '[0:s:" + std::to_string(index) +
        "]null[canvas]' -map '[canvas]' -fps_mode passthrough -enc_time_base -1 -f framemd5 -");
    int64_t num = 1, den = 1000;
    std::vector<Shown> frames;
    for (const std::string& line : lines) {
        if (std::sscanf(line.c_str(), "#tb 0: %ld/%ld", &num, &den) == 2) continue;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int64_t stream, dts, pts, duration, size;
        char comma;
        std::string md5;
        fields >> stream >> comma >> dts >> comma >> pts >> comma >> duration >> comma >> size >>
            comma >> md5;
        const int64_t ticks = (pts - zeroTicks) * num * 90000 / den;
        frames.push_back({(ticks + TicksPerMs / 2) / TicksPerMs, md5});
    }
    // The empty canvas comes first. At one time, the last frame shows what stays; a frame
    // like the one before changes nothing.
    std::vector<Shown> changes;
    std::string shown = frames.empty() ? "" : frames.front().md5;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (i + 1 < frames.size() && frames[i + 1].ms == frames[i].ms) continue;
        if (frames[i].md5 != shown) changes.push_back(frames[i]);
        shown = frames[i].md5;
    }
    return changes;
}

// A disc of H.264 video, AC-3 audio and the subpicture streams, in one part or two, with a
// playlist that labels the subtitles: the first German and forced ("de:09"), the second English.
struct SubtitleDisc {
    TempFolder dir;
    std::string evo = dir / "HVDVD_TS/FEATURE_1.EVO";
    std::string xpl = dir / "ADV_OBJ/VPLST000.XPL";
    std::string out = dir / "out";
    std::vector<SpuStream> spus;
    uint64_t ptsBase = 90000;

    SubtitleDisc(std::vector<SpuStream> streams, int parts) : spus(std::move(streams)) {
        for (const char* folder : {"HVDVD_TS", "ADV_OBJ", "out"})
            std::filesystem::create_directories(dir / folder);
        maker::EsRecipe recipe =
            recipeOf({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}, ptsBase, parts});
        for (size_t i = 0; i < spus.size(); ++i) {
            auto units = maker::syntheticSpus(spus[i].units, spus[i].seed, Spacing);
            if (spus[i].broken >= 0) units[size_t(spus[i].broken)].fieldOutside = true;
            const std::string es = dir / ("spu" + std::to_string(i));
            maker::writeSpuStream(units, Spacing, es, es + ".units");
            const int id = spus[i].id >= 0 ? spus[i].id : 0x20 + int(i);
            recipe.streams.push_back({maker::Codec::Subpicture, uint8_t(id), es, es + ".units",
                                      spus[i].startMs * TicksPerMs});
        }
        maker::makeEsEvo(recipe, evo);
        writeTextFile(xpl, xmlDocument(playlist()));
    }

    XmlElement playlist() const {
        XmlElement german = subtitle(1, 1, "Deutsch erzwungen");
        XmlElement english = subtitle(2, 1, "English");
        return playlistRoot(
            "SUBTITLED",
            {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2"), subpictureItem(1, "8bitRLE")},
            {title(1, "Subtitled", "00:00:07:00",
                   {clip("FEATURE_1", {video(1, 1), audio(1, 1, "English"), german, english},
                         "00:00:00:00", "00:00:07:00"),
                    trackNavigationList({videoTrack(1), audioTrack(1, "en:01"),
                                         subtitleTrack(1, "de:09", "Deutsch erzwungen"),
                                         subtitleTrack(2, "en:01", "English")})})});
    }

    // The EVO as one file: a split title's parts one after the other.
    std::string wholeEvo() const {
        const std::string second = dir / "HVDVD_TS/FEATURE_2.EVO";
        if (!std::filesystem::exists(second)) return evo;
        const std::string whole = dir / "whole.EVO";
        runCommand("cat " + inQuotes(evo) + " " + inQuotes(second) + " > " + inQuotes(whole));
        return whole;
    }

    // The ms of each fade step of the stream: ffmpeg shows none from the HD DVD units.
    std::vector<int64_t> fadeTimes(size_t stream) const {
        std::vector<int64_t> times;
        const auto units = maker::syntheticSpus(spus[stream].units, spus[stream].seed, Spacing);
        for (size_t i = 0; i < units.size(); ++i)
            for (const maker::SpuFade& fade : units[i].fades)
                times.push_back((spus[stream].startMs * TicksPerMs + int64_t(i) * Spacing +
                                 fade.stm * 1024 + TicksPerMs / 2) /
                                TicksPerMs);
        return times;
    }
};

// The PGS rendering without its fade steps must be the source's; each fade step changes it.
void expectSameAsSource(const SubtitleDisc& disc, size_t stream, const std::vector<Shown>& source,
                        const std::vector<Shown>& pgs) {
    const std::vector<int64_t> fades = disc.fadeTimes(stream);
    std::vector<Shown> withoutFades;
    size_t fadesShown = 0;
    for (const Shown& s : pgs) {
        if (std::find(fades.begin(), fades.end(), s.ms) != fades.end())
            ++fadesShown;
        else
            withoutFades.push_back(s);
    }
    EXPECT_EQ(withoutFades, source);
    EXPECT_EQ(fadesShown, fades.size());
    EXPECT_FALSE(fades.empty());
}

const std::vector<SpuStream> TwoStreams = {{6, 1, 0}, {5, 2, 300}};

TEST(SubtitlePgs, DemuxSubPgsWritesWhatTheSourceShows) {
    SubtitleDisc disc(TwoStreams, 1);
    const auto r = cli({"demux", disc.evo, "--out", disc.out, "--sub", "pgs", "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        fileNamesIn(disc.out),
        (std::vector<std::string>{"FEATURE_1.DD.stream.00.mpa", "FEATURE_1.H.264.stream.0.mpv",
                                  "FEATURE_1.Subpicture.00.sup", "FEATURE_1.Subpicture.01.sup"}));
    for (int s = 0; s < 2; ++s) {
        const std::string sup = disc.out + "/FEATURE_1.Subpicture.0" + std::to_string(s) + ".sup";
        const auto source = rendered(disc.evo, s, int64_t(disc.ptsBase));
        ASSERT_EQ(source.size(), size_t(2 * TwoStreams[size_t(s)].units));
        expectSameAsSource(disc, size_t(s), source, rendered(sup, 0, 0));
        // Forced units only: every third.
        const auto forced = rendered(disc.evo, s, int64_t(disc.ptsBase), true);
        EXPECT_EQ(forced.size(), size_t(2 * ((TwoStreams[size_t(s)].units + 1) / 3)));
        EXPECT_EQ(rendered(sup, 0, 0, true), forced);
    }
}

TEST(SubtitlePgs, MkvHasAForcedGermanAndAnEnglishPgsTrackAsTheSourceShows) {
    SubtitleDisc disc(TwoStreams, 1);
    const auto r = cli({"mkv", disc.evo, "--xpl", disc.xpl, "--out", disc.out, "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Nothing beside the .mkv.
    EXPECT_EQ(fileNamesIn(disc.out), std::vector<std::string>{"FEATURE_1.mkv"});
    const std::string mkv = disc.out + "/FEATURE_1.mkv";
    const MkvFile identified = identifyMkv(mkv);
    ASSERT_EQ(identified.tracks.size(), 4u);
    EXPECT_EQ(identified.tracks[2], (MkvTrack{"S_HDMV/PGS", "ger", "Deutsch erzwungen", false,
                                              false, false, false, true}));
    EXPECT_EQ(identified.tracks[3], (MkvTrack{"S_HDMV/PGS", "eng", "English", false}));
    for (int s = 0; s < 2; ++s) {
        const auto source = rendered(disc.evo, s, int64_t(disc.ptsBase));
        expectSameAsSource(disc, size_t(s), source, rendered(mkv, s, 0));
        EXPECT_EQ(rendered(mkv, s, 0, true), rendered(disc.evo, s, int64_t(disc.ptsBase), true));
    }
}

// Every subpicture id is a track of its own, the first and last of each half of the range
// included: streams past the sixteenth were lost without a word.
TEST(SubtitlePgs, StreamsAcrossTheWholeIdRangeEachGiveAPgsTrackAndFile) {
    SubtitleDisc disc(
        {{4, 1, 0, -1, 0x20}, {4, 2, 100, -1, 0x2F}, {4, 3, 200, -1, 0x30}, {4, 4, 300, -1, 0x3F}},
        1);
    const auto demux = cli({"demux", disc.evo, "--out", disc.out, "--sub", "pgs", "-q"});
    ASSERT_EQ(demux.exitCode, 0) << demux.err;
    const std::vector<std::string> numbers = {"00", "15", "16", "31"};
    for (size_t s = 0; s < numbers.size(); ++s) {
        const std::string sup = disc.out + "/FEATURE_1.Subpicture." + numbers[s] + ".sup";
        ASSERT_TRUE(std::filesystem::exists(sup)) << sup;
        expectSameAsSource(disc, s, rendered(disc.evo, int(s), int64_t(disc.ptsBase)),
                           rendered(sup, 0, 0));
    }
    std::filesystem::remove_all(disc.out);
    std::filesystem::create_directory(disc.out);
    const auto mkv = cli({"mkv", disc.evo, "--out", disc.out, "-q"});
    ASSERT_EQ(mkv.exitCode, 0) << mkv.err;
    const std::string file = disc.out + "/FEATURE_1.mkv";
    const MkvFile identified = identifyMkv(file);
    ASSERT_EQ(identified.tracks.size(), 6u);
    for (size_t s = 0; s < numbers.size(); ++s) {
        EXPECT_EQ(identified.tracks[2 + s].codecId, "S_HDMV/PGS");
        expectSameAsSource(disc, s, rendered(disc.evo, int(s), int64_t(disc.ptsBase)),
                           rendered(file, int(s), 0));
    }
}

TEST(SubtitlePgs, SplitTitleKeepsTheTimesAcrossTheSeam) {
    SubtitleDisc disc({{3, 4, 100}}, 2);
    const auto r = cli({"mkv", disc.evo, "--out", disc.out, "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string mkv = disc.out + "/FEATURE_1_2.mkv";
    const auto source = rendered(disc.wholeEvo(), 0, int64_t(disc.ptsBase));
    // Units at 0.1, 1.2 and 2.3 s: the seam, near 1.5 s, falls between the second and third.
    ASSERT_EQ(source.size(), 6u);
    EXPECT_EQ(rendered(mkv, 0, 0), source);
}

TEST(SubtitlePgs, AMalformedUnitIsLeftOutWithOneLineAndTheOthersKept) {
    SubtitleDisc disc({{5, 3, 0, 2}}, 1);
    const auto r = cli({"demux", disc.evo, "--out", disc.out, "--sub", "pgs"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Subpicture unit of Subpicture.00 at PTS " +
                         std::to_string(disc.ptsBase + 2 * Spacing) +
                         " left out: a field lies outside the unit.\n"),
              std::string::npos)
        << r.out;
    const auto source = rendered(disc.evo, 0, int64_t(disc.ptsBase));
    ASSERT_EQ(source.size(), 8u); // ffmpeg shows nothing of the broken unit either
    expectSameAsSource(disc, 0, source, rendered(disc.out + "/FEATURE_1.Subpicture.00.sup", 0, 0));
}

} // namespace
} // namespace splitwick::testing
