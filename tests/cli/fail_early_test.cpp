// splitwick-cli's failures as a script meets them: --json answers with one object also when a
// run fails, and requests that cannot succeed are refused before any work.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>

#include "cli_program.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

struct MadeFeature {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    MadeFeature() {
        runCommand(std::string(SPLITWICK_MAKE_EVO) + " --out '" + evo + "' --size 1M");
    }
};

QJsonObject jsonOf(const std::string& out) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return document.object();
}

// A failure printed nothing on stdout: a script parsing it got an empty document.
TEST(CliJsonFailures, AFailedRunStillPrintsOneObject) {
    MadeFeature made;
    const std::string missing = made.dir / "MISSING.EVO";
    const struct {
        std::vector<std::string> args;
        int exit;
    } cases[] = {
        {{"read", missing, "--json"}, 1},
        {{"demux", missing, "--json", "-q"}, 1},
        {{"rebuild", made.evo, "--json", "-q", "--out", made.evo}, 1},
        {{"xpl", made.dir / "VPLST000.XPL", "--json"}, 1},
        {{"demux", made.evo, "--json", "--streams", "bogus"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exit);
        const QJsonObject json = jsonOf(run.out);
        EXPECT_EQ(json.value("exit").toInt(), c.exit);
        const std::string error = json.value("error").toString().toStdString();
        EXPECT_FALSE(error.empty());
        // stderr tells the same error as ever.
        EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
    }
}

// A missing --out was told as "Cannot create file" of an output inside it, after the reads.
TEST(CliFailsEarly, AMissingOutputFolderIsNamedAndNotCreated) {
    MadeFeature made;
    const std::string missing = made.dir / "missing";
    for (const char* command : {"demux", "rebuild", "mkv"}) {
        SCOPED_TRACE(command);
        const auto run = cli({command, made.evo, "--out", missing});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "Output folder \"" + missing + "\" does not exist.\n");
        EXPECT_EQ(run.out, ""); // before the read: not even "Opening file"
        EXPECT_FALSE(std::filesystem::exists(missing));
        // A file named as the folder was told as a folder that does not exist.
        const auto file = cli({command, made.evo, "--out", made.evo});
        EXPECT_EQ(file.exitCode, 1);
        EXPECT_EQ(file.err, "Output folder \"" + made.evo + "\" is a file, not a folder.\n");
    }
}

// A file that is not an EVO was taken for one: read said "Done.", rebuild wrote an empty
// rebuilt EVO. Each job now fails naming it and writes nothing, also as a split title's second
// part.
TEST(CliNotAnEvo, EveryJobRefusesAFileWithoutAPackHeaderAndWritesNothing) {
    TempFolder dir;
    const std::string out = dir / "out";
    std::filesystem::create_directory(out);
    Bytes late(70 * 1024, 0);
    late.insert(late.end(), {0x00, 0x00, 0x01, 0xBA});
    Bytes noise(100 * 1024);
    uint32_t state = 1;
    for (uint8_t& byte : noise)
        byte = uint8_t((state = state * 1103515245 + 12345) >> 24);
    const struct {
        std::string name;
        Bytes bytes;
    } files[] = {
        {"text.EVO", Bytes{'r', 'o', 'o', 't', ':', 'x', ':', '0', '\n'}},
        {"empty.EVO", {}},
        {"late.EVO", late},
        {"noise.EVO", noise},
    };
    for (const auto& file : files) {
        const std::string path = dir / file.name;
        writeBytes(path, file.bytes);
        for (const char* command : {"read", "demux", "rebuild", "mkv"}) {
            SCOPED_TRACE(std::string(command) + " " + file.name);
            std::vector<std::string> args = {command, path, "-q"};
            if (std::string(command) != "read") args.insert(args.end(), {"--out", out});
            const auto r = cli(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_NE(r.err.find("\"" + path +
                                 "\" is not an HD DVD video file (no MPEG program stream pack "
                                 "header in its first 64 KiB)"),
                      std::string::npos)
                << r.err;
            EXPECT_TRUE(fileNamesIn(out).empty());
        }
    }
    // A second part that is not an EVO fails the title before any output is created (the first
    // part's were, and were taken back when the second part was met).
    MadeFeature made;
    writeBytes(made.dir / "FEATURE_2.EVO", noise);
    for (const char* command : {"demux", "rebuild", "mkv"}) {
        SCOPED_TRACE(command);
        const auto split = cli({command, made.evo, "--out", out, "-q"});
        EXPECT_EQ(split.exitCode, 1);
        EXPECT_NE(split.err.find("FEATURE_2.EVO\" is not an HD DVD video file"), std::string::npos)
            << split.err;
        EXPECT_EQ(split.out.find("Creating"), std::string::npos) << split.out;
        EXPECT_TRUE(fileNamesIn(out).empty());
    }
}

} // namespace
} // namespace splitwick::testing
