// splitwick-cli rebuild: the request it parses and the program run on a real file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "request.h"
#include "support/process.h"
#include "support/test_files.h"

namespace splitwick::cli {
namespace {

using splitwick::testing::ProcessResult;
using splitwick::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

Request parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "splitwick-cli");
    return parseRequest(arguments);
}

TEST(RebuildRequest, ReadsTheWholeFileAndKeepsEveryStreamByDefault) {
    const Request request = parse({"rebuild", "A.EVO"});
    EXPECT_EQ(request.command, "rebuild");
    EXPECT_EQ(request.evoFile, "A.EVO");
    EXPECT_FALSE(request.fastCheck);
    EXPECT_TRUE(request.continueSplit);
    EXPECT_FALSE(request.streams.has_value());
    EXPECT_EQ(request.outputFolder, "");
    EXPECT_FALSE(request.json);
}

TEST(RebuildRequest, TakesItsOptions) {
    const Request request = parse({"rebuild", "A.EVO", "--out", "o", "--streams", "video0,audio01",
                                   "--no-continue", "--json"});
    EXPECT_EQ(request.outputFolder, "o");
    EXPECT_THAT(*request.streams,
                ElementsAre(TrackName{TrackKind::Video, 0}, TrackName{TrackKind::Audio, 1}));
    EXPECT_FALSE(request.continueSplit);
    EXPECT_TRUE(request.json);
}

TEST(RebuildRequest, RefusesTheOptionsOfOtherCommands) {
    EXPECT_THROW(parse({"rebuild", "A.EVO", "--video-ext", "m2v"}), UsageError);
    EXPECT_THROW(parse({"rebuild", "A.EVO", "--no-fast-check"}), UsageError);
    EXPECT_THROW(parse({"rebuild", "A.EVO", "--streams", "audio16"}), UsageError);
}

ProcessResult runCli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), SPLITWICK_CLI);
    return splitwick::testing::runProcess(arguments);
}

class RebuildCommand : public ::testing::Test {
  protected:
    TempFolder work;
    const std::string source = splitwick::testing::ffmpegMade("DTS.EVO");
};

TEST_F(RebuildCommand, LogsTheReadThenTheRebuildOfTheChosenStreams) {
    const auto run =
        runCli({"rebuild", source, "--out", work.path(), "--streams", "video0,audio01"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Opening file DTS.EVO\n"
                       "File size: 0 Mbytes.\n"
                       "It contains 1 video stream and 2 audio streams.\n"
                       "MPEG-2 video stream 0 found!\n"
                       "DTS HD audio stream 0 found!\n"
                       "DTS HD audio stream 1 found!\n"
                       "Done.\n"
                       "50 frames count in video stream 0.\n"
                       "Video frame rate: 25 fps.\n"
                       "DTSHD.stream.00 starts with the picture.\n"
                       "DTSHD.stream.01 starts with the picture.\n"
                       "Opening file DTS.EVO\n"
                       "File size: 0 Mbytes.\n"
                       "Creating " +
                           work.path() +
                           "/DTS.rebuilt.EVO\n"
                           "Done.\n");
    EXPECT_THAT(splitwick::testing::probeStreams(work / "DTS.rebuilt.EVO"),
                ElementsAre("dvd_nav_packet,0x1bf", "mpeg2video,0x1e0", "dts,0x88"));
}

TEST_F(RebuildCommand, JsonCarriesTheLogLines) {
    const auto run = runCli({"rebuild", source, "--out", work.path(), "--json"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("\"Creating " + work.path() + "/DTS.rebuilt.EVO\",\"Done.\"]"));
    // Every stream kept: every pack written.
    EXPECT_EQ(splitwick::testing::readBytes(work / "DTS.rebuilt.EVO").size(),
              splitwick::testing::readBytes(source).size());
}

TEST_F(RebuildCommand, FailsWithTheErrorTextAndExitCode1) {
    // The output folder holds a link named like the output that leads to the source.
    std::filesystem::create_symlink(source, work / "DTS.rebuilt.EVO");
    const auto sourceBytes = splitwick::testing::readBytes(source);
    const auto run = runCli({"rebuild", source, "--out", work.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Cannot create file \"" + work.path() +
                           "/DTS.rebuilt.EVO\". The file is already in use by this job.\n");
    EXPECT_EQ(splitwick::testing::readBytes(source), sourceBytes);

    const auto missing = runCli({"rebuild", source, "--streams", "audio05"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "splitwick-cli: --streams: no stream audio05; the title has video0, "
                           "audio00, audio01\nTry 'splitwick-cli rebuild --help' for more "
                           "information.\n");
}

TEST_F(RebuildCommand, UsageErrorsExitWith2) {
    EXPECT_EQ(runCli({"rebuild"}).exitCode, 2);
    EXPECT_EQ(runCli({"rebuild", source, "--sub-ext", "x"}).exitCode, 2);
}

} // namespace
} // namespace splitwick::cli
