// The dry run's plan is what the run writes: the same files, the same Matroska tracks with their
// languages and names, the same chapters, for an EVO with its playlist and for a disc folder,
// under each way of choosing streams. The two were planned apart and disagreed.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <filesystem>

#include "cli_program.h"
#include "evo_maker/spu_maker.h"
#include "playlist_writer.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

// A disc of one title: H.264, English and German AC-3 with a German E-AC-3 commentary between
// them, a forced German and an English subpicture stream, two chapters.
struct ChoiceDisc {
    TempFolder dir;
    std::string evo = dir / "HVDVD_TS/FEATURE_1.EVO";
    std::string xpl = dir / "ADV_OBJ/VPLST000.XPL";
    std::string out = dir / "out";

    ChoiceDisc() {
        for (const char* folder : {"HVDVD_TS", "ADV_OBJ", "out"})
            std::filesystem::create_directories(dir / folder);
        maker::EsRecipe recipe = recipeOf({{{Encoded::H264At24000_1001, 0}}});
        const auto audio = [&](Encoded input, uint8_t id) {
            const EncodedStream& stream = encoded(input);
            recipe.streams.push_back({stream.codec, id, stream.es, stream.units});
        };
        audio(Encoded::Ac3, 0x80);
        audio(Encoded::Eac3, 0xC1);
        audio(Encoded::Ac3, 0x82);
        for (uint8_t i = 0; i < 2; ++i) {
            const std::string es = dir / ("spu" + std::to_string(i));
            maker::writeSpuStream(maker::syntheticSpus(2, i + 1, 99000), 99000, es, es + ".units");
            recipe.streams.push_back(
                {maker::Codec::Subpicture, uint8_t(0x20 + i), es, es + ".units"});
        }
        maker::makeEsEvo(recipe, evo);
        writeTextFile(xpl, xmlDocument(playlist()));
    }

    static XmlElement playlist() {
        return playlistRoot(
            "CHOICES",
            {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2"), audioItem(2, "DD+", "2"),
             subpictureItem(1, "8bitRLE")},
            {title(1, "Feature", "00:00:03:00",
                   {clip("FEATURE_1",
                         {video(1, 1), audio(1, 1, "English"), audio(2, 2, "Kommentar"),
                          audio(3, 1, "Deutsch"), subtitle(1, 1, "Deutsch erzwungen"),
                          subtitle(2, 1, "English")},
                         "00:00:00:00", "00:00:03:00"),
                    chapterList({chapter("00:00:00:00", "Start"), chapter("00:00:01:30", "End")}),
                    trackNavigationList({videoTrack(1), audioTrack(1, "en:01"),
                                         audioTrack(2, "de:03"), audioTrack(3, "de:01"),
                                         subtitleTrack(1, "de:09", "Deutsch erzwungen"),
                                         subtitleTrack(2, "en:01", "English")})})});
    }
};

QJsonObject jsonOf(const ProcessResult& r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

std::vector<std::string> textsOf(const QJsonArray& array) {
    std::vector<std::string> texts;
    for (const QJsonValue& value : array)
        texts.push_back(value.toString().toStdString());
    return texts;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const std::string& name : fileNamesIn(folder))
        files.push_back(folder + "/" + name);
    return files;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

int chapterAtomsIn(const std::string& xml) {
    int atoms = 0;
    for (size_t at = xml.find("<ChapterAtom>"); at != std::string::npos;
         at = xml.find("<ChapterAtom>", at + 1))
        ++atoms;
    return atoms;
}

TEST(PlanMatchesRun, TheDryRunsPlanIsWhatTheRunWrites) {
    ChoiceDisc disc;
    const std::vector<std::string> evoInput = {disc.evo, "--xpl", disc.xpl};
    const std::vector<std::string> discInput = {disc.dir.path()};
    const struct {
        std::string command;
        std::vector<std::string> options;
        size_t mkvTracks; // 0 for a demux
    } cases[] = {
        {"mkv", {}, 6},
        {"mkv", {"--lang", "ger"}, 4},
        {"mkv", {"--lang", "eng,ger"}, 6},
        {"mkv", {"--streams", "video0,audio02,sub01"}, 3},
        {"demux", {}, 0},
        {"demux", {"--lang", "eng"}, 0},
        {"demux", {"--streams", "video0,audio01,sub00", "--sub", "pgs"}, 0},
    };
    for (const auto& input : {evoInput, discInput}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.command + " " + input.front() + " " +
                         (c.options.empty() ? "" : c.options.back()));
            std::filesystem::remove_all(disc.out);
            std::filesystem::create_directory(disc.out);
            std::vector<std::string> args = {c.command};
            args.insert(args.end(), input.begin(), input.end());
            args.insert(args.end(), c.options.begin(), c.options.end());
            args.insert(args.end(), {"--out", disc.out, "--json"});

            std::vector<std::string> dryArgs = args;
            dryArgs.push_back("--dry-run");
            const auto dry = cli(dryArgs);
            ASSERT_EQ(dry.exitCode, 0) << dry.err;
            const QJsonObject plan = jsonOf(dry)["plan"].toObject();
            const auto run = cli(args);
            ASSERT_EQ(run.exitCode, 0) << run.err;

            const std::vector<std::string> files = textsOf(plan["files"].toArray());
            EXPECT_EQ(sorted(files), filesIn(disc.out));
            const int chapters = plan["chapters"].toInt();
            EXPECT_EQ(chapters, 2);
            if (c.mkvTracks == 0) {
                ASSERT_TRUE(files.back().ends_with(".chapters.xml")) << files.back();
                EXPECT_EQ(chapterAtomsIn(readText(files.back())), chapters);
                continue;
            }
            const QJsonArray tracks = plan["tracks"].toArray();
            EXPECT_EQ(tracks, jsonOf(run)["mkv"].toObject()["tracks"].toArray());
            const MkvFile written = identifyMkv(files.front());
            ASSERT_EQ(written.tracks.size(), c.mkvTracks);
            ASSERT_EQ(size_t(tracks.size()), c.mkvTracks);
            for (size_t i = 0; i < c.mkvTracks; ++i) {
                const QJsonObject track = tracks[qsizetype(i)].toObject();
                EXPECT_EQ(written.tracks[i].language, track["language"].toString().toStdString());
                EXPECT_EQ(written.tracks[i].name, track["name"].toString().toStdString());
            }
            EXPECT_EQ(written.chapters, chapters);
        }
    }
}

// A language or stream that matches nothing is a usage error naming what exists, in the dry run
// as in the run, and nothing is written.
TEST(PlanMatchesRun, AChoiceThatMatchesNothingIsAUsageErrorInBoth) {
    ChoiceDisc disc;
    const struct {
        std::vector<std::string> options;
        std::string names;
    } cases[] = {
        {{"--lang", "fre"}, "--lang: "},
        {{"--streams", "audio05"}, "--streams: no stream audio05"},
        {{"--streams", "sub20"}, "--streams: no stream sub20"},
    };
    for (const auto& c : cases) {
        for (const bool dryRun : {true, false}) {
            SCOPED_TRACE(c.options.back() + (dryRun ? " dry run" : ""));
            std::vector<std::string> args = {"mkv", disc.dir.path(), "--out", disc.out};
            args.insert(args.end(), c.options.begin(), c.options.end());
            if (dryRun) args.push_back("--dry-run");
            const auto r = cli(args);
            EXPECT_EQ(r.exitCode, 2) << r.err;
            EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
            EXPECT_TRUE(fileNamesIn(disc.out).empty());
        }
    }
}

} // namespace
} // namespace splitwick::testing
