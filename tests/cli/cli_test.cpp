#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "process.h"
#include "support/pes_fixture.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

const std::string Cli = SPLITWICK_CLI;

ProcessResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), Cli);
    return runProcess(args);
}

// MPEG-2 video 0xE0 with 3 frames a pack, DD 0x80 and DD+ 0xC1, after a system header; by
// default one full first chunk of 16 packs.
struct MadeEvo {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    explicit MadeEvo(size_t repeats = 5) {
        writeBytes(evo, systemHeaderPack(1, 2) + repeat(videoPack(0xE0, 3) + audioPack(0x80, 0xAA) +
                                                           audioPack(0xC1, 0xBB),
                                                       repeats));
    }
};

const std::vector<std::string> ReadLines = {
    "Opening file FEATURE_1.EVO",
    "File size: 0 Mbytes.",
    "It contains 1 video stream and 2 audio streams.",
    "MPEG-2 video stream 0 found!",
    "DD audio stream 0 found!",
    "DD+ audio stream 1 found!",
    "Done.",
    "15 frames count in video stream 0.",
};

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& line : lines)
        all += line + "\n";
    return all;
}

TEST(CliUsage, MistakesExitWith2AndHelpWith0) {
    MadeEvo made;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"split", made.evo},
                                               {"read"},
                                               {"read", made.evo, made.evo},
                                               {"read", made.evo, "--bogus"},
                                               {"demux", made.evo, "--streams", "video0,audio99"},
                                               {"read", made.evo, "--out", "x"}}) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const auto help = cli({"demux", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--streams"), std::string::npos);
}

TEST(CliRead, PrintsTheMessageLogLines) {
    MadeEvo made;
    const auto r = cli({"read", made.evo});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, joined(ReadLines));
}

TEST(CliRead, JsonSummaryListsEveryEnabledBox) {
    MadeEvo made;
    const auto r = cli({"read", made.evo, "--json", "--no-count-frames"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines(ReadLines.begin(), ReadLines.end() - 1);
    std::string log;
    for (const auto& line : lines)
        log += (log.empty() ? "\"" : ",\"") + line + "\"";
    EXPECT_EQ(r.out, "{\"log\":[" + log +
                         "],\"streams\":[{\"box\":\"cbVideo0\",\"caption\":\"MPEG-2.stream.0\","
                         "\"id\":224},{\"box\":\"cbAudio00\",\"caption\":\"DD.stream.00\",\"id\":"
                         "128},{\"box\":\"cbAudio01\",\"caption\":\"DD+.stream.01\",\"id\":193}],"
                         "\"frames\":[0,0],\"cancelled\":false}\n");
}

TEST(CliDemux, WritesTheChosenStreamsOnly) {
    MadeEvo made;
    const std::string out = made.dir / "out";
    std::filesystem::create_directory(out);
    const auto r =
        cli({"demux", made.evo, "--out", out, "--streams", "audio01", "--audio-ext", "ac3"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Creating " + out + "/FEATURE_1.DD+.stream.01.ac3\n"), std::string::npos);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(out))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"FEATURE_1.DD+.stream.01.ac3"});
    EXPECT_EQ(readBytes(out + "/FEATURE_1.DD+.stream.01.ac3"),
              Bytes(5 * (PackSize - 14 - 9 - 4), 0xBB));
}

TEST(CliFailures, ExitWith1AndTheErrorBoxText) {
    MadeEvo made;
    const auto missing = cli({"read", made.dir / "none.EVO"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Cannot open file \"" + made.dir / "none.EVO" + "\". No such file or directory.\n");

    const auto absent = cli({"demux", made.evo, "--streams", "sub03"});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_EQ(absent.err, "No stream for cbSub03 in FEATURE_1.EVO.\n");
}

TEST(CliInterrupt, CtrlCCancelsClosesTheFilesAndExits130) {
    MadeEvo made(12000); // about 70 MiB: the pass is still running when the signal lands
    const std::string out = made.dir / "out";
    std::filesystem::create_directory(out);
    bool sent = false;
    const auto r = runProcess({Cli, "demux", made.evo, "--out", out, "--streams", "audio00"},
                              [&](const std::string& line, int pid) {
                                  if (sent || line.rfind("Creating ", 0) != 0) return;
                                  ::kill(pid, SIGINT);
                                  sent = true;
                              });
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_NE(r.out.find("\nDone.\n"), std::string::npos);
    const auto written = std::filesystem::file_size(out + "/FEATURE_1.DD.stream.00.mpa");
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 12000u * (PackSize - 14 - 9 - 4));
    EXPECT_EQ(written % (PackSize - 14 - 9 - 4), 0u);
}

} // namespace
} // namespace splitwick::testing
