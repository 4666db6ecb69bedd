// splitwick-cli mkv's lossless choices on made titles, with ffmpeg and mkvmerge as the oracles:
// LPCM as FLAC decodes to the samples demux writes as WAV, a DTS-HD track gets its core beside
// it, the disc's default language and forced subtitles set the tracks' flags, and the dry run's
// plan says what the run writes.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli_program.h"
#include "evo_maker/spu_maker.h"
#include "playlist_writer.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"
#include "support/wav_files.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;

const std::string DtsHdSample = SPLITWICK_TEST_DATA "/dtshd_ma_71_24bit_12frames.dts";

QJsonObject jsonOf(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

std::string compact(const QJsonValue& value) {
    return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString();
}

// Noise in every bit, as DVD LPCM of the format: seconds of whole sample groups.
void writeNoise(const std::string& path, const LpcmFormat& format, int seconds) {
    const size_t bytes =
        size_t(seconds) * size_t(format.sampleRate * format.channels * format.bitsPerSample / 8);
    std::mt19937 random{uint32_t(bytes)};
    std::string samples(bytes, '\0');
    for (char& c : samples)
        c = char(random());
    std::ofstream(path, std::ios::binary) << samples;
}

// HVDVD_TS/FEATURE_1.EVO (and FEATURE_2.EVO for a split title) of H.264 video and the streams
// given, and an output folder.
struct MadeTitle {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    std::string out = dir / "out";

    explicit MadeTitle(const maker::EsRecipe& recipe) {
        fs::create_directories(out);
        maker::makeEsEvo(recipe, evo);
    }
};

maker::EsRecipe videoRecipe(int parts = 1) {
    return recipeOf({{{Encoded::H264At24000_1001, 0}}, 90000, parts});
}

struct FlacCase {
    LpcmFormat format;
    int parts;
    const char* layout; // as ffprobe gives the FLAC track's
};

std::string caseName(const FlacCase& c) {
    return std::to_string(c.format.bitsPerSample) + " bits " + std::to_string(c.format.channels) +
           " channels " + std::to_string(c.format.sampleRate) + " Hz, " + std::to_string(c.parts) +
           " part(s)";
}

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1024 * 1024));
    return text;
}

// The sizes of the packets of a track, added up.
uint64_t packetBytes(const std::string& mkv, const std::string& track) {
    uint64_t bytes = 0;
    for (const std::string& line :
         outputLines("ffprobe -v error -select_streams " + track +
                     " -show_entries packet=size -of csv=p=0 " + inQuotes(mkv)))
        bytes += std::stoull(line);
    return bytes;
}

// FLAC at the stream's own bit depth (20 as 24), rate and channels decodes to the samples demux
// writes as WAV, every one of them, across a split title's seam too; the log tells the sizes.
TEST(MkvLpcmAsFlac, DecodesToTheSamplesDemuxWritesAsWav) {
    const FlacCase cases[] = {
        {{16, 48000, 2}, 1, "stereo"}, {{20, 48000, 6}, 1, "5.1"}, {{24, 96000, 1}, 1, "mono"},
        {{24, 48000, 8}, 1, "7.1"},    {{24, 48000, 6}, 2, "5.1"},
    };
    for (const FlacCase& c : cases) {
        SCOPED_TRACE(caseName(c));
        TempFolder samples;
        maker::EsRecipe recipe = videoRecipe(c.parts);
        maker::EsStream lpcm{maker::Codec::Lpcm, 0xA0, samples / "noise.pcm", "", 0, c.format};
        writeNoise(lpcm.es, c.format, 3);
        recipe.streams.push_back(lpcm);
        MadeTitle title(recipe);
        const std::string stem = c.parts == 2 ? "/FEATURE_1_2" : "/FEATURE_1";

        const auto demuxed = cli({"demux", title.evo, "--streams", "audio00", "--lpcm", "wav",
                                  "--out", samples.path(), "-q"});
        ASSERT_EQ(demuxed.exitCode, 0) << demuxed.err;
        const Bytes wav = wavSamples(samples.path() + stem + ".LPCM.stream.00.wav");
        const auto muxed = cli({"mkv", title.evo, "--lpcm", "flac", "--out", title.out, "-q"});
        ASSERT_EQ(muxed.exitCode, 0) << muxed.err;
        const std::string mkv = title.out + stem + ".mkv";

        const int sampleBytes = c.format.bitsPerSample == 16 ? 2 : 3;
        EXPECT_EQ(runCommand("ffprobe -v error -select_streams a:0 -show_entries "
                             "stream=codec_name,sample_rate,channels,channel_layout,"
                             "bits_per_raw_sample -of csv=p=0 " +
                             inQuotes(mkv)),
                  "flac," + std::to_string(c.format.sampleRate) + "," +
                      std::to_string(c.format.channels) + "," + c.layout + "," +
                      std::to_string(sampleBytes * 8) + "\n");
        decodeWithFfmpeg(samples / "flac.wav", mkv, sampleBytes);
        const Bytes flac = wavSamples(samples / "flac.wav");
        EXPECT_EQ(flac.size(), wav.size());
        EXPECT_TRUE(flac == wav);
        const std::string line = "LPCM stream 0 as FLAC: " + mebibytes(wav.size()) +
                                 " of PCM became " + mebibytes(packetBytes(mkv, "a:0"));
        EXPECT_NE(muxed.out.find("\n" + line + " ("), std::string::npos) << muxed.out;
    }
}

// A disc's title of two clips (one title cut into two layers): the FLAC track plays on across
// the clips, sample for sample as demux follows them into one WAV.
TEST(MkvLpcmAsFlac, DiscTitleOfTwoClipsDecodesToTheDemuxedWav) {
    TempFolder disc;
    const std::string evos = disc / "HVDVD_TS", out = disc / "out";
    for (const std::string& folder : {evos, disc / "ADV_OBJ", out})
        fs::create_directories(folder);
    const maker::MadeEsEvo film =
        makeLayeredTitle({{{Encoded::H264At24000_1001, 0}, {Encoded::Lpcm16Stereo, 0}}}, evos,
                         "L0_mainMovie", "L1_mainMovie", disc / "expected");
    const std::string seam =
        titleTimeOfTicks(int64_t(*film.parts[1].referencePts - *film.parts[0].referencePts));
    const std::vector<XmlElement> streams = {video(1, 1), audio(1, 1, "English")};
    writeTextFile(
        disc / "ADV_OBJ/VPLST000.XPL",
        xmlDocument(playlistRoot("LAYERED", {videoItem(1, "MPEG-4 AVC"), audioItem(1, "LPCM", "2")},
                                 {title(1, "Film", "00:00:03:00",
                                        {clip("L0_mainMovie", streams, "00:00:00:00", seam),
                                         clip("L1_mainMovie", streams, seam, "00:00:03:00")})})));

    const auto demuxed =
        cli({"demux", disc.path(), "--lpcm", "wav", "--streams", "audio00", "--out", out, "-q"});
    ASSERT_EQ(demuxed.exitCode, 0) << demuxed.err;
    const auto muxed = cli({"mkv", disc.path(), "--lpcm", "flac", "--out", out, "-q"});
    ASSERT_EQ(muxed.exitCode, 0) << muxed.err;
    ASSERT_EQ(fileNamesIn(out),
              (std::vector<std::string>{"Film.LPCM.2ch.stream.00.English.wav", "Film.mkv"}))
        << demuxed.out;
    const Bytes wav = wavSamples(out + "/Film.LPCM.2ch.stream.00.English.wav");
    decodeWithFfmpeg(disc / "flac.wav", out + "/Film.mkv", 2);
    EXPECT_GT(wav.size(), 500000u);
    EXPECT_TRUE(wavSamples(disc / "flac.wav") == wav);
}

TEST(MkvLpcmAsFlac, WrongChoicesAreUsageErrors) {
    const struct {
        std::vector<std::string> options;
        const char* error;
    } cases[] = {
        {{"--lpcm", "flac", "--flac-level", "13"}, "--flac-level is 0 to 12, not '13'"},
        {{"--lpcm", "flac", "--flac-level", "-1"}, "--flac-level is 0 to 12, not '-1'"},
        {{"--lpcm", "flac", "--flac-level", "x"}, "--flac-level is 0 to 12, not 'x'"},
        {{"--flac-level", "8"}, "--flac-level needs --lpcm flac"},
        {{"--lpcm", "wav"}, "--lpcm is pcm or flac, not 'wav'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        std::vector<std::string> args = {"mkv", "FEATURE_1.EVO"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    }
}

// The DTS-HD MA 7.1 sample's unit list, from ffmpeg's packets of it.
std::string dtsHdUnits(const TempFolder& folder) {
    const std::string crc = folder / "dtshd.crc", units = folder / "dtshd.units";
    runCommand("ffmpeg -nostdin -v error -f dts -i " + inQuotes(DtsHdSample) +
               " -c copy -f framecrc " + inQuotes(crc));
    writeUnitList(crc, units);
    return units;
}

struct CoreCase {
    const char* why;
    bool dtsHd;
    std::vector<std::string> streams; // ffprobe's codec,profile,channels of each audio track
};

// A DTS-HD track gets a DTS track of its core beside it, which ffmpeg decodes as DTS with the
// core's channels; plain DTS gets none. The dry run's tracks are the run's.
TEST(MkvDtsCore, DtsHdGetsItsCoreBesideItAndPlainDtsNone) {
    const CoreCase cases[] = {
        {"DTS-HD MA", true, {"dts,DTS-HD MA,8", "dts,DTS,6"}},
        {"plain DTS", false, {"dts,DTS,2"}},
    };
    for (const CoreCase& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        maker::EsRecipe recipe = videoRecipe();
        if (c.dtsHd)
            recipe.streams.push_back(
                {maker::Codec::DtsHd, 0x88, DtsHdSample, dtsHdUnits(folder), 0});
        else
            recipe.streams.push_back(recipeOf({{{Encoded::Dts, 0}}}).streams.front());
        MadeTitle title(recipe);
        const auto run = cli({"mkv", title.evo, "--dts-core", "--json", "--out", title.out});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string mkv = title.out + "/FEATURE_1.mkv";
        EXPECT_EQ(outputLines("ffprobe -v error -select_streams a -show_entries "
                              "stream=codec_name,profile,channels -of csv=p=0 " +
                              inQuotes(mkv)),
                  c.streams);
        EXPECT_EQ(decodingErrors(mkv), "");
        const QJsonArray tracks = jsonOf(run.out)["mkv"].toObject()["tracks"].toArray();
        ASSERT_EQ(size_t(tracks.size()), 1 + c.streams.size());
        if (c.dtsHd) {
            const QJsonObject core = tracks[2].toObject();
            EXPECT_EQ(core["name"].toString().toStdString(), "DTSHD.stream.00 (core)");
            EXPECT_TRUE(core["core"].toBool());
            EXPECT_FALSE(core["default"].toBool());
            EXPECT_TRUE(tracks[1].toObject()["default"].toBool());
        }
    }
}

// The dry run's tracks are those the run writes: codecs (FLAC for LPCM), the core track, flags.
TEST(MkvDryRun, TellsTheTracksTheRunWrites) {
    TempFolder folder;
    maker::EsRecipe recipe = videoRecipe();
    recipe.streams.push_back({maker::Codec::DtsHd, 0x88, DtsHdSample, dtsHdUnits(folder), 0});
    maker::EsStream lpcm = recipeOf({{{Encoded::Lpcm16Stereo, 0}}}).streams.front();
    lpcm.id = 0xA1; // audio 1: the DTS stream is audio 0
    recipe.streams.push_back(lpcm);
    MadeTitle title(recipe);
    const std::vector<std::string> args = {"mkv",        title.evo, "--lpcm", "flac",
                                           "--dts-core", "--json",  "--out",  title.out};
    const auto ran = cli(args);
    ASSERT_EQ(ran.exitCode, 0) << ran.err;
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    const QJsonArray tracks = jsonOf(ran.out)["mkv"].toObject()["tracks"].toArray();
    std::vector<std::string> codecs;
    for (const QJsonValue& track : tracks)
        codecs.push_back(track.toObject()["codec"].toString().toStdString());
    EXPECT_EQ(codecs, (std::vector<std::string>{"H.264", "DTS", "DTS", "FLAC"}));
    EXPECT_EQ(compact(jsonOf(cli(dry).out)["plan"].toObject()["tracks"]), compact(tracks));
}

constexpr int64_t Spacing = 99000; // between subtitle units: 1.1 s

// A disc of H.264 video, English AC-3 and German E-AC-3 (the playlist's first audio track),
// and subtitles: German forced, English forced, English; its TitleSet's default language is
// English.
struct FlagsDisc {
    TempFolder dir;
    std::string evo = dir / "HVDVD_TS/FEATURE_1.EVO";
    std::string xpl = dir / "ADV_OBJ/VPLST000.XPL";
    std::string out = dir / "out";

    FlagsDisc() {
        for (const char* folder : {"HVDVD_TS", "ADV_OBJ", "out"})
            fs::create_directories(dir / folder);
        maker::EsRecipe recipe =
            recipeOf({{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}, {Encoded::Eac3, 0}}});
        for (uint8_t i = 0; i < 3; ++i) {
            const std::string es = dir / ("spu" + std::to_string(i));
            maker::writeSpuStream(maker::syntheticSpus(2, i, Spacing), Spacing, es, es + ".units");
            recipe.streams.push_back(
                {maker::Codec::Subpicture, uint8_t(0x20 + i), es, es + ".units", 0});
        }
        maker::makeEsEvo(recipe, evo);
        XmlElement german = audio(2, 2, "Deutsch");
        german.set("track", "1");
        XmlElement english = audio(1, 1, "English");
        english.set("track", "2");
        writeTextFile(
            xpl,
            xmlDocument(playlistRoot(
                "FLAGS",
                {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2"), audioItem(2, "DD+", "2"),
                 subpictureItem(1, "8bitRLE")},
                {title(1, "Flags", "00:00:03:00",
                       {clip("FEATURE_1",
                             {video(1, 1), english, german, subtitle(1, 1, "Deutsch erzwungen"),
                              subtitle(2, 1, "English forced"), subtitle(3, 1, "English")},
                             "00:00:00:00", "00:00:03:00"),
                        trackNavigationList({videoTrack(1), audioTrack(1, "de:01"),
                                             audioTrack(2, "en:01"),
                                             subtitleTrack(1, "de:09", "Deutsch erzwungen"),
                                             subtitleTrack(2, "en:09", "English forced"),
                                             subtitleTrack(3, "en:01", "English")})})})));
    }
};

struct FlagsCase {
    const char* why;
    std::vector<std::string> options;
    std::vector<std::string> flags; // each track's: "d" default, "f" forced, "-" neither
};

std::vector<std::string> flagsOf(const MkvFile& file) {
    std::vector<std::string> flags;
    for (const MkvTrack& track : file.tracks) {
        const std::string text =
            std::string(track.isDefault ? "d" : "") + (track.forced ? "f" : "");
        flags.push_back(text.empty() ? "-" : text);
    }
    return flags;
}

// The first audio track of the default language plays by default, and the forced subtitle of its
// language; --lang's first language takes the disc's place. mkvmerge reads what the plan said.
TEST(MkvTrackFlags, DefaultLanguageAndForcedSubtitlesSetTheFlags) {
    const FlagsDisc disc;
    const FlagsCase cases[] = {
        {"the disc's default language, English", {}, {"d", "d", "-", "f", "df", "-"}},
        {"--lang ger,eng", {"--lang", "ger,eng"}, {"d", "-", "d", "df", "f", "-"}},
    };
    for (const FlagsCase& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> args = {"mkv", disc.evo, "--xpl", disc.xpl, "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::vector<std::string> run = args, dry = args;
        run.insert(run.end(), {"--out", disc.out});
        dry.push_back("--dry-run");
        const auto ran = cli(run);
        ASSERT_EQ(ran.exitCode, 0) << ran.err;
        EXPECT_EQ(flagsOf(identifyMkv(disc.out + "/FEATURE_1.mkv")), c.flags);
        const auto planned = cli(dry);
        EXPECT_EQ(compact(jsonOf(planned.out)["plan"].toObject()["tracks"]),
                  compact(jsonOf(ran.out)["mkv"].toObject()["tracks"]));
    }
}

} // namespace
} // namespace splitwick::testing
