// splitwick-cli on files and requests that leave a job little or nothing to do: what it says
// and how it exits must tell a script what happened.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

ProcessResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), SPLITWICK_CLI);
    return runProcess(args);
}

constexpr size_t PackSize = 2048;

// The stream_id of each pack's first packet: byte 17 behind a 14-byte pack header.
std::vector<uint8_t> firstStreamIds(const Bytes& evo) {
    std::vector<uint8_t> ids;
    for (size_t at = 0; at + PackSize <= evo.size(); at += PackSize)
        ids.push_back(evo[at + 17]);
    return ids;
}

bool carriesNoStream(uint8_t streamId) {
    return streamId == 0xBB || streamId == 0xBE || streamId == 0xBF; // system header, padding, nav
}

// An HD DVD-like file of the test-file maker: VC-1, DD+, DTS-HD, MLP, subpictures and
// navigation packs.
struct MadeFeature {
    TempFolder dir;
    std::string evo = dir / "FEATURE_1.EVO";
    MadeFeature() {
        runCommand(std::string(SPLITWICK_MAKE_EVO) + " --out '" + evo + "' --size 4M");
    }
};

// --streams none was an unknown stream name.
TEST(CliStreamsNone, RebuildKeepsTheNavigationAndPaddingPacksOnly) {
    MadeFeature made;
    const auto run =
        cli({"rebuild", made.evo, "--out", made.dir.path(), "--streams", "none", "-q"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<uint8_t> expected;
    for (uint8_t id : firstStreamIds(readBytes(made.evo)))
        if (carriesNoStream(id)) expected.push_back(id);
    ASSERT_GT(expected.size(), 1u);
    EXPECT_EQ(firstStreamIds(readBytes(made.dir / "FEATURE_1.rebuilt.EVO")), expected);
}

// mkv --streams none was refused only after a whole demux, with exit 1; cbVideo2 to cbVideo7,
// which never carry a stream, were taken and wrote nothing.
TEST(CliStreamsNone, NoStreamAndUnknownNamesAreUsageErrorsBeforeTheRead) {
    MadeFeature made;
    for (const char* command : {"demux", "mkv"}) {
        const auto none = cli({command, made.evo, "--out", made.dir.path(), "--streams", "none"});
        EXPECT_EQ(none.exitCode, 2) << command;
        EXPECT_EQ(none.out, "") << command;
        EXPECT_EQ(none.err, std::string("splitwick-cli: --streams none leaves ") + command +
                                " nothing to write\nTry 'splitwick-cli " + command +
                                " --help' for more information.\n");
    }
    for (const char* list : {"nothing", "none,audio00", "audio00,", "video2", "cbVideo7"}) {
        const auto unknown = cli({"rebuild", made.evo, "--streams", list});
        EXPECT_EQ(unknown.exitCode, 2) << list;
        EXPECT_NE(unknown.err.find("Unknown stream '"), std::string::npos) << unknown.err;
    }
    EXPECT_EQ(fileNamesIn(made.dir.path()), std::vector<std::string>{"FEATURE_1.EVO"});
}

// A file without streams was demuxed and rebuilt with "Done." and exit 0, having written nothing
// of use.
TEST(CliNoStreamFound, DemuxAndRebuildFailWhileReadReportsWhatItFound) {
    MadeFeature made;
    ASSERT_EQ(cli({"rebuild", made.evo, "--out", made.dir.path(), "--streams", "none"}).exitCode,
              0);
    const std::string navigation = made.dir / "NAV.EVO";
    std::filesystem::rename(made.dir / "FEATURE_1.rebuilt.EVO", navigation);
    // A file with no pack at all is not an EVO (CliNotAnEvo); one of navigation packs only is.
    const TempFolder out;
    for (const std::string& file : {navigation}) {
        SCOPED_TRACE(file);
        for (std::vector<std::string> job : {std::vector<std::string>{"demux"},
                                             {"rebuild"},
                                             {"rebuild", "--streams", "none"},
                                             {"demux", "--streams", "audio00"}}) {
            job.insert(job.end(), {file, "--out", out.path(), "-q"});
            const auto run = cli(job);
            EXPECT_EQ(run.exitCode, 1) << job[0];
            EXPECT_EQ(run.err, "No stream found in \"" + file + "\"\n");
        }
        const auto read = cli({"read", file, "--json", "--no-fast-check"});
        EXPECT_EQ(read.exitCode, 0) << read.err;
        EXPECT_NE(read.out.find("\"streams\":[],"), std::string::npos) << read.out;
    }
    // Nothing to demux: no stream file.
    for (const std::string& name : fileNamesIn(out.path()))
        EXPECT_NE(name.find(".rebuilt.EVO"), std::string::npos) << name;
}

// A read stopped by the fast check said "cancelled": true, with frame counts of 0.
TEST(CliJsonStops, FastCheckStopIsNotACancelAndUncountedFramesAreNull) {
    TempFolder dir;
    const std::string evo = dir / "LONG.EVO";
    std::filesystem::copy_file(ffmpegMade("DD.EVO"), evo);
    // Zeros past the fast check's limit: read at once, as the file is sparse.
    std::filesystem::resize_file(evo, 320u << 20);
    const std::string stopped = "\"cancelled\":false,\"stopped_at_fast_check_limit\":true,";
    const std::string whole = "\"cancelled\":false,\"stopped_at_fast_check_limit\":false,";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"read", evo, "--json"}, "\"frames\":[null,null]," + stopped},
        {{"read", evo, "--json", "--no-fast-check"}, "\"frames\":[50,0]," + whole},
        {{"read", evo, "--json", "--no-fast-check", "--no-count-frames"},
         "\"frames\":[null,null]," + whole},
        {{"demux", evo, "--json", "--out", dir.path()}, "\"frames\":[50,0]," + whole},
    };
    for (const auto& [args, members] : cases) {
        const auto run = cli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find(members), std::string::npos) << run.out;
    }
}

// Under a file-size limit a write fails with EFBIG, unless SIGXFSZ has killed the program first,
// without a word: the failure must be told as a full disk is, and leave no output behind.
TEST(CliFileSizeLimitRegression, WritePastTheLimitIsAStreamWriteError) {
    MadeFeature made;
    const std::string out = made.dir / "out";
    std::filesystem::create_directory(out);
    const auto r =
        runProcess({"/bin/sh", "-c", "ulimit -f 64 && exec \"$0\" demux \"$1\" --out \"$2\" -q",
                    SPLITWICK_CLI, made.evo, out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with("Stream write error.\nCannot write file \"" + out + "/"))
        << r.err;
    EXPECT_TRUE(r.err.ends_with("\". File too large.\n")) << r.err;
    EXPECT_EQ(fileNamesIn(out), std::vector<std::string>{});
}

// A .mkv without the picture its user chose was made with exit 0 and "Muxed": a film without a
// film. Now the run fails naming the video, and leaves no .mkv or temporary file.
TEST(CliMkvWithoutItsVideo, FailsNamingTheVideoAndKeepsNothing) {
    MadeFeature made; // its VC-1 payloads are noise: no picture starts in them
    const std::string out = made.dir / "out";
    std::filesystem::create_directory(out);
    const auto r = cli({"mkv", made.evo, "--out", out, "-q"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.starts_with("FEATURE_1.mkv not written: no frame found in ")) << r.err;
    EXPECT_NE(r.err.find(", its chosen video"), std::string::npos) << r.err;
    EXPECT_EQ(fileNamesIn(out), std::vector<std::string>{});
}

// Stream names as titles lists them, given as a user types them; requests that cannot mean
// anything are usage errors that say what would.
TEST(CliStreamNames, ListsTypedWithSpacesAndRequestsThatCannotWork) {
    MadeFeature made;
    const auto spaced = cli({"demux", made.evo, "--dry-run", "--streams", "video0,", "audio00"});
    EXPECT_EQ(spaced.exitCode, 0) << spaced.err;
    EXPECT_NE(spaced.out.find(".stream.0.mpv\n"), std::string::npos) << spaced.out;
    EXPECT_NE(spaced.out.find(".stream.00."), std::string::npos) << spaced.out;
    EXPECT_EQ(spaced.out.find(".stream.01."), std::string::npos) << spaced.out;
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"mkv", made.evo, "--streams", "audio1"},
         "Unknown stream 'audio1' in --streams: the names are video0 and video1, audio00 to "
         "audio15, sub00 to sub31, as titles lists them"},
        {{"demux", made.evo, "--title", "2"},
         "--title needs a disc (its folder or a playlist): an EVO is one title's part already"},
    };
    for (const auto& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.error;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "splitwick-cli: " + c.error);
    }
}

} // namespace
} // namespace splitwick::testing
