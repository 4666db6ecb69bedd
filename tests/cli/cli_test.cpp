#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "cli_program.h"
#include "help_text.h"
#include "playlist_writer.h"
#include "summary.h"
#include "support/pes_fixture.h"
#include "support/process.h"
#include "support/test_files.h"
#include "support/wav_files.h"
#include "version.h"

namespace splitwick::testing {
namespace {

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

TEST(CliRegression, FrameCountsPast2To31AreWholeInTheJson) {
    cli::RunSummary run;
    run.frames = FrameCounts{3000000000, 1};
    EXPECT_NE(cli::summaryJson({}, run).find("\"frames\":[3000000000,1]"), std::string::npos);
}

// Counts not taken read as null, not as counts of 0.
TEST(CliRegression, CancelIsSaidAsSuchAndFramesNotCountedAreNull) {
    cli::RunSummary run;
    run.stop = StopReason::Cancelled;
    EXPECT_NE(cli::summaryJson({}, run).find("\"frames\":[null,null],\"cancelled\":true,"
                                             "\"stopped_at_fast_check_limit\":false,"),
              std::string::npos);
}

TEST(CliRegression, FifoWithoutAWriterIsRefusedNotWaitedFor) {
    // Opening a FIFO that nobody writes waits for a writer; the watchdog ends a run that does.
    TempFolder folder;
    const std::string fifo = folder / "FIFO.EVO";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto r = runProcess({"/usr/bin/timeout", "60", Cli, "read", fifo});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Cannot open file \"" + fifo + "\". Not a regular file.\n");
}

TEST(CliRegression, StreamWriteErrorIsFollowedByTheFileAndTheReason) {
    MadeEvo made;
    const std::string out = made.dir / "out";
    std::filesystem::create_directory(out);
    const std::string full = out + "/FEATURE_1.DD.stream.00.mpa";
    std::filesystem::create_symlink("/dev/full", full);
    const auto r = cli({"demux", made.evo, "--out", out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Stream write error.\nCannot write file \"" + full +
                         "\". No space left on device.\n");
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

TEST(CliConventions, VersionNamesTheProgramAndItsLicenceAndExitsWith0) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--version"}, {"-V"}, {"read", "--version"}, {"demux", "none.EVO", "--version"}}) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, std::string("splitwick-cli ") + Version + "\n" + LicenceNotice);
    }
}

// Without a command, an unknown option was taken for a missing command; after one, it lost its
// dashes.
TEST(CliConventions, UnknownOptionIsNamedAsWrittenAndExitsWith2) {
    MadeEvo made;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "'--bogus'\nTry 'splitwick-cli --help'"},
        {{"-x", "read", made.evo}, "'-x'\nTry 'splitwick-cli read --help'"},
        {{"read", made.evo, "--bogus=1"}, "'--bogus'\nTry 'splitwick-cli read --help'"},
        {{"xpl", "VPLST000.XPL", "--out", "x"}, "'--out'\nTry 'splitwick-cli xpl --help'"},
    };
    for (const auto& [args, named] : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, "splitwick-cli: Unknown option " + named + " for more information.\n");
        EXPECT_TRUE(r.out.empty());
    }
}

// The text from HEADING to the next blank line; empty when HEADING is missing.
std::string paragraph(const std::string& text, const std::string& heading) {
    const size_t start = text.find(heading);
    if (start == std::string::npos) return "";
    return text.substr(start, text.find("\n\n", start) - start);
}

void expectOptionsOf(const cli::CommandSpec& command, const std::string& text) {
    for (const cli::OptionSpec& option : command.options)
        EXPECT_NE(text.find(std::string("  --") + option.name), std::string::npos)
            << command.name << " lacks --" << option.name << " in:\n"
            << text;
}

// COMMAND --help printed the general text again, with the command's options at its end.
TEST(CliConventions, CommandHelpShowsThatCommandsUsageAndOptionsOnly) {
    for (const cli::CommandSpec& command : cli::commands()) {
        const auto r = cli({command.name, "--help"});
        EXPECT_EQ(r.exitCode, 0);
        const std::string usage =
            std::string("Usage: splitwick-cli ") + command.name + " " + command.file;
        EXPECT_EQ(r.out.rfind(usage + " [OPTION]...\n", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find("Commands:"), std::string::npos) << r.out;
        expectOptionsOf(command, paragraph(r.out, "\nOptions:\n"));
    }
}

// The manual page is made from --help-all: the general help, then every command's options.
TEST(CliConventions, HelpAllAddsEveryCommandsOptionsToTheGeneralHelp) {
    const auto all = cli({"--help-all"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.out.rfind(cli({"--help"}).out, 0), 0u) << all.out;
    for (const cli::CommandSpec& command : cli::commands())
        expectOptionsOf(command,
                        paragraph(all.out, std::string("\nOptions of ") + command.name + ":\n"));
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
                         "\"frames\":[null,null],\"cancelled\":false,"
                         "\"stopped_at_fast_check_limit\":false,\"scrambled_packs\":0,"
                         // Its packets carry no timestamps: the part is there, with nothing in it.
                         "\"timing\":{\"video_frame_rate\":null,\"streams\":[],\"parts\":["
                         "{\"file\":\"FEATURE_1.EVO\",\"video_frame_rate\":null,"
                         "\"reference_pts\":null,\"streams\":[]}]}}\n");
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

// --lpcm wav and --ext-by-codec reach the job: an ffmpeg-made LPCM title gives a WAV file that
// ffprobe reads, the video an m2v; a --lpcm that is neither wav nor raw is a usage error.
TEST(CliDemux, LpcmAsWavAndExtensionsByCodec) {
    TempFolder dir;
    const std::string evo = dir / "FEATURE_1.EVO";
    makeWithFfmpeg("-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=sample_rate=48000 "
                   "-t 1 -c:v mpeg2video -c:a pcm_dvd",
                   evo);
    const auto r = cli({"demux", evo, "--out", dir.path(), "--lpcm", "wav", "--ext-by-codec"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fileNamesIn(dir.path()),
              (std::vector<std::string>{"FEATURE_1.EVO", "FEATURE_1.LPCM.stream.00.wav",
                                        "FEATURE_1.MPEG-2.stream.0.m2v"}));
    EXPECT_EQ(probeAudio(dir / "FEATURE_1.LPCM.stream.00.wav"), "pcm_s16le,48000,1,unknown");

    const auto wrong = cli({"demux", evo, "--lpcm", "flac"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "splitwick-cli: --lpcm is wav or raw, not 'flac'\nTry 'splitwick-cli "
                         "demux --help' for more information.\n");
}

TEST(CliFailures, ExitWith1AndTheErrorBoxText) {
    MadeEvo made;
    const auto missing = cli({"read", made.dir / "none.EVO"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Cannot open file \"" + made.dir / "none.EVO" + "\". No such file or directory.\n");

    // A stream the file lacks is a usage error naming those it has, as in a dry run.
    for (const char* dryRun : {"--dry-run", "--quiet"}) {
        const auto absent = cli({"demux", made.evo, "--streams", "sub03", dryRun});
        EXPECT_EQ(absent.exitCode, 2);
        EXPECT_EQ(absent.err, "splitwick-cli: --streams: no stream sub03; the title has video0, "
                              "audio00, audio01\nTry 'splitwick-cli demux --help' for more "
                              "information.\n");
    }
}

// Until a file in the folder holds bytes, or five seconds have gone.
void waitForBytesIn(const std::string& folder) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_regular_file() && entry.file_size() > 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST(CliInterrupt, CtrlCTermAndHangUpCancelCloseTheFilesAndExit128PlusTheSignal) {
    MadeEvo made(12000); // about 70 MiB: the pass is still running when the signal lands
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::string out = made.dir / ("out" + std::to_string(signal));
        std::filesystem::create_directory(out);
        // The demux runs from the first line on: the reads and the demux are one pass. The
        // signal lands once the output has bytes: a cancel ends the pass before its next chunk.
        bool sent = false;
        const auto r = runProcess({Cli, "demux", made.evo, "--out", out, "--streams", "audio00"},
                                  [&](const std::string& line, int pid) {
                                      if (sent || line.rfind("File size: ", 0) != 0) return;
                                      waitForBytesIn(out);
                                      ::kill(pid, signal);
                                      sent = true;
                                  });
        EXPECT_EQ(r.exitCode, 128 + signal) << r.err;
        EXPECT_NE(r.out.find("\nDone.\n"), std::string::npos);
        // After the progress lines, if any came before the signal.
        const std::string cancelled =
            "Cancelled: the output files hold what was written until then\n";
        ASSERT_GE(r.err.size(), cancelled.size());
        EXPECT_EQ(r.err.substr(r.err.size() - cancelled.size()), cancelled);
        // Whole packets only: every buffered byte reached the file before it was closed.
        const auto written = std::filesystem::file_size(out + "/FEATURE_1.DD.stream.00.mpa");
        EXPECT_GT(written, 0u);
        EXPECT_LT(written, 12000u * (PackSize - 14 - 9 - 4));
        EXPECT_EQ(written % (PackSize - 14 - 9 - 4), 0u);
    }
}

// The made EVO followed by zeros (a sparse file, read at once) up to 200 MiB: 50 progress
// points of 4 MiB.
struct LongEvo : MadeEvo {
    static constexpr int Mbytes = 200;
    LongEvo() { std::filesystem::resize_file(evo, uintmax_t(Mbytes) << 20); }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Off a terminal every progress point stayed as a line of its own: 467 lines for 1 GB.
// Checks that lines are the progress of passes over a LongEvo, each verb a pass of its own:
// 4 MiB, then the first point past each further 10 MiB (5 %), up to the end.
void expectOneLinePerFivePercent(const std::vector<std::string>& lines,
                                 const std::vector<std::string>& passes) {
    ASSERT_EQ(lines.size(), 21 * passes.size());
    for (size_t pass = 0; pass < passes.size(); ++pass) {
        int lastStep = -1;
        for (size_t i = 21 * pass; i < 21 * (pass + 1); ++i) {
            int read = 0, size = 0;
            const std::string format =
                passes[pass] + " FEATURE_1.EVO %d/%d Mbytes, Remaining time: ";
            ASSERT_EQ(std::sscanf(lines[i].c_str(), format.c_str(), &read, &size), 2) << lines[i];
            EXPECT_EQ(size, LongEvo::Mbytes);
            EXPECT_GT(read * 20 / size, lastStep) << lines[i];
            lastStep = read * 20 / size;
        }
        EXPECT_EQ(lastStep, 20);
    }
}

// Off a terminal every progress point stayed as a line of its own: 467 lines for 1 GB.
TEST(CliProgress, OffATerminalProgressIsOneLinePerFivePercent) {
    LongEvo made;
    const auto read = cli({"read", made.evo, "--no-fast-check"});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    expectOneLinePerFivePercent(linesOf(read.err), {"Reading"});
    // The reads and the demux are one pass.
    const auto demux = cli({"demux", made.evo, "--out", made.dir.path()});
    EXPECT_EQ(demux.exitCode, 0) << demux.err;
    expectOneLinePerFivePercent(linesOf(demux.err), {"Demuxing"});
}

// The sample disc's layout: HVDVD_TS/FEATURE_1.EVO (the made EVO) and ADV_OBJ/VPLST000.XPL.
struct MadeDisc {
    TempFolder dir;
    std::string evo = dir / "HVDVD_TS/FEATURE_1.EVO";
    std::string xpl = dir / "ADV_OBJ/VPLST000.XPL";
    MadeDisc() {
        std::filesystem::create_directories(dir / "HVDVD_TS");
        std::filesystem::create_directories(dir / "ADV_OBJ");
        writeBytes(evo, MadeEvoBytes());
        writeTextFile(xpl, xmlDocument(discPlaylist({"FEATURE_1"})));
    }
    static Bytes MadeEvoBytes() {
        MadeEvo made;
        return readBytes(made.evo);
    }
};

// The sample title's three chapters at 60 frames a second; its default language is English.
const std::string SampleChapterXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE Chapters SYSTEM "matroskachapters.dtd">
<Chapters>
  <EditionEntry>
    <ChapterAtom>
      <ChapterTimeStart>00:00:00.000000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Chapter 1</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterTimeStart>00:05:00.300000000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Chapter 2</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
    <ChapterAtom>
      <ChapterTimeStart>00:07:30.950500000</ChapterTimeStart>
      <ChapterDisplay>
        <ChapterString>Chapter 3</ChapterString>
        <ChapterLanguage>eng</ChapterLanguage>
      </ChapterDisplay>
    </ChapterAtom>
  </EditionEntry>
</Chapters>
)";

const std::vector<std::string> PlaylistLines = {
    "Open VPLST000.XPL",
    "Filesize: 2327 bytes",
    "MPEG-2.stream.0 found!",
    "DD+.6ch.stream.00.English found!",
    "DD+.2ch.stream.01.Commentary found!",
    "DTS-HD.6ch.stream.02.French found!",
    "8bitRLE.stream.00.English found!",
    "Done.",
};

TEST(CliProgress, QuietShowsNoProgressButStillTheErrors) {
    LongEvo made;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read", made.evo, "--no-fast-check", "-q"},
          {"--quiet", "read", made.evo, "--no-fast-check", "--json"}}) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
    }
    const auto demux = cli({"demux", made.evo, "--quiet", "--out", made.dir.path()});
    EXPECT_EQ(demux.exitCode, 0) << demux.err;
    EXPECT_EQ(demux.err, "");
    MadeDisc disc;
    const auto xpl = cli({"xpl", disc.xpl, "-q"});
    EXPECT_EQ(xpl.exitCode, 0) << xpl.err;
    EXPECT_EQ(xpl.err, "");
    const auto missing = cli({"-q", "demux", made.dir / "none.EVO"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Cannot open file \"" + made.dir / "none.EVO" + "\". No such file or directory.\n");
}

TEST(CliPlaylist, XplPrintsTheReadersLinesAndItsJson) {
    MadeDisc disc;
    const auto r = cli({"xpl", disc.xpl, "--evo", disc.evo});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, joined(PlaylistLines));

    const auto none = cli({"xpl", disc.xpl, "--json"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_NE(none.out.find(",\"tree\":{\"Info\":[],\"Video\":[],\"Audio\":[],\"Subtitle\":[],"
                            "\"Chapter\":[]},\"boxes\":[],\"title_found\":false,\"title\":null,"
                            "\"chapters\":[]}\n"),
              std::string::npos)
        << none.out;

    const auto json = cli({"xpl", disc.xpl, "--evo", disc.evo, "--json"});
    EXPECT_NE(json.out.find("\"tree\":{\"Info\":[\"Title: SAMPLE DISC\",\"Name: FEATURE_1\","
                            "\"Duration: 00:10:00:00\"],\"Video\":[\"MPEG-2.stream.0\"],"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("{\"box\":\"cbAudio01\",\"caption\":\"DD+.2ch.stream.01.Commentary\","
                            "\"hint\":\"DD+.2ch.stream.01.Commentary\",\"language\":\"eng\","
                            "\"kind\":\"commentary\"}"),
              std::string::npos);
    EXPECT_NE(json.out.find("{\"box\":\"cbVideo0\",\"caption\":\"MPEG-2.stream.0\","
                            "\"hint\":\"Check the desired video stream\"},"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"title_found\":true,\"title\":{\"name\":\"FEATURE_1\","
                            "\"duration_ms\":600600},\"chapters\":[{\"start_ms\":0,\"name\":"
                            "\"Chapter 1\"},{\"start_ms\":300300,\"name\":\"Chapter 2\"},"
                            "{\"start_ms\":450951,\"name\":\"Chapter 3\"}]}\n"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(cli({"xpl"}).exitCode, 2);
}

// Read XPL marks its streams with 1 in the table: every stream had "id": 1.
TEST(CliPlaylist, ReadWithThePlaylistGivesTheIdsReadEvoFound) {
    MadeDisc disc;
    const auto r = cli({"read", disc.evo, "--xpl", disc.xpl, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"streams\":[{\"box\":\"cbVideo0\",\"caption\":\"MPEG-2.stream.0\","
                         "\"id\":224},{\"box\":\"cbAudio00\",\"caption\":"
                         "\"DD+.6ch.stream.00.English\",\"id\":128},{\"box\":\"cbAudio01\","
                         "\"caption\":\"DD+.2ch.stream.01.Commentary\",\"id\":193},{\"box\":"
                         "\"cbAudio02\",\"caption\":\"DTS-HD.6ch.stream.02.French\",\"id\":null},"
                         "{\"box\":\"cbSub00\",\"caption\":\"8bitRLE.stream.00.English\","
                         "\"id\":null}],"),
              std::string::npos)
        << r.out;
}

TEST(CliPlaylist, XplTreeFollowsTheLogAsIndentedText) {
    MadeDisc disc;
    const auto r = cli({"xpl", disc.xpl, "--evo", disc.evo, "--tree"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, joined(PlaylistLines) + "Info\n"
                                             "  Title: SAMPLE DISC\n"
                                             "  Name: FEATURE_1\n"
                                             "  Duration: 00:10:00:00\n"
                                             "Video\n"
                                             "  MPEG-2.stream.0\n"
                                             "Audio\n"
                                             "  DD+.6ch.stream.00.English\n"
                                             "  DD+.2ch.stream.01.Commentary\n"
                                             "  DTS-HD.6ch.stream.02.French\n"
                                             "Subtitle\n"
                                             "  8bitRLE.stream.00.English\n"
                                             "Chapter\n"
                                             "  00:00:00:00: Chapter 1\n"
                                             "  00:05:00:00: Chapter 2\n"
                                             "  00:07:30:30: Chapter 3\n");
    // No title for the EVO: the five entries, empty.
    const auto none = cli({"xpl", disc.xpl, "--tree"});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_NE(none.out.find("Done.\nInfo\nVideo\nAudio\nSubtitle\nChapter\n"), std::string::npos)
        << none.out;
    // The JSON object holds the tree already.
    const auto json = cli({"xpl", disc.xpl, "--tree", "--json"});
    EXPECT_EQ(json.out.find("\nInfo"), std::string::npos) << json.out;
}

TEST(CliInterrupt, PlaylistReadEndsCleanlyOnASignal) {
    MadeDisc disc;
    std::string items;
    while (items.size() < 12 * 1048576)
        items += "<VideoAttributeItem index=\"1\" codec=\"MPEG-2\"/>\n";
    writeTextFile(disc.xpl,
                  "<Playlist><MediaAttributeList>" + items + "</MediaAttributeList></Playlist>");
    for (const auto& command : std::vector<std::vector<std::string>>{
             {Cli, "xpl", disc.xpl}, {Cli, "read", disc.evo, "--xpl", disc.xpl}}) {
        for (int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(command[1] + " " + std::to_string(signal));
            bool sent = false;
            const auto r = runProcess(command, [&](const std::string& line, int pid) {
                if (sent || line.rfind("Filesize: ", 0) != 0) return;
                ::kill(pid, signal);
                sent = true;
            });
            EXPECT_EQ(r.exitCode, 128 + signal) << r.err;
            EXPECT_EQ(r.out.substr(r.out.size() - 6), "Done.\n");
        }
    }
}

TEST(CliRegression, PlaylistLabelsWithBidiAndBrokenUtf8GiveTheNamesOnDiskInTheJson) {
    MadeDisc disc;
    std::string text = xmlDocument(discPlaylist({"FEATURE_1"}));
    for (size_t at; (at = text.find("English")) != std::string::npos;)
        text.replace(at, 7, "Eng\u202Elish\xC2\x85\xFF");
    writeTextFile(disc.xpl, text);
    const std::string out = disc.dir / "out";
    std::filesystem::create_directory(out);
    const auto r = cli({"demux", disc.evo, "--xpl", disc.xpl, "--out", out, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string name = "FEATURE_1.DD+.6ch.stream.00.Eng_lish__.mpa";
    EXPECT_NE(r.out.find("\"Creating " + out + "/" + name + "\""), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::is_regular_file(out + "/" + name));
}

TEST(CliPlaylist, DemuxWithThePlaylistNamesItsOutputsAfterTheLabels) {
    MadeDisc disc;
    const std::string out = disc.dir / "out";
    std::filesystem::create_directory(out);
    const auto r = cli({"demux", disc.evo, "--xpl", disc.xpl, "--out", out});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> expected = ReadLines;
    expected.insert(expected.end(), PlaylistLines.begin(), PlaylistLines.end());
    for (const std::string& line :
         std::vector<std::string>{"Opening file FEATURE_1.EVO", "File size: 0 Mbytes.",
                                  "Creating " + out + "/FEATURE_1.MPEG-2.stream.0.mpv",
                                  "Creating " + out + "/FEATURE_1.DD+.6ch.stream.00.English.mpa",
                                  "Creating " + out + "/FEATURE_1.DD+.2ch.stream.01.Commentary.mpa",
                                  "Creating " + out + "/FEATURE_1.chapters.xml",
                                  "It contains 1 video stream and 2 audio streams.",
                                  "DTS-HD.6ch.stream.02.French in the title, not in the EVO",
                                  "8bitRLE.stream.00.English in the title, not in the EVO", "Done.",
                                  "15 frames count in video stream 0.",
                                  // The last line says where the files went, by its full path.
                                  "Wrote 4 files in " + out + "/"})
        expected.push_back(line);
    EXPECT_EQ(r.out, joined(expected));
    // The playlist's DTS-HD and subtitle streams are not in this EVO: they get no files.
    for (const char* name : {"DTS-HD.6ch.stream.02.French.mpa", "8bitRLE.stream.00.English.sup",
                             "8bitRLE.stream.00.English.pts"})
        EXPECT_FALSE(std::filesystem::exists(out + "/FEATURE_1." + name)) << name;
    EXPECT_EQ(readText(out + "/FEATURE_1.chapters.xml"), SampleChapterXml);
}

// A stream of the EVO that the title does not list was left out without a word.
TEST(CliPlaylist, AStreamTheTitleDoesNotListIsSaidToBeLeftOut) {
    MadeDisc disc;
    writeTextFile(disc.xpl,
                  xmlDocument(playlistRoot(
                      "DISC", {videoItem(1, "MPEG-2"), audioItem(1, "DD+", "2")},
                      {title(1, "FEATURE_1", "00:10:00:00",
                             {clip("FEATURE_1", {video(1, 1), audio(2, 1, "English")}),
                              trackNavigationList({videoTrack(1), audioTrack(2, "en:01")})})})));
    const auto r = cli({"demux", disc.evo, "--xpl", disc.xpl, "--out", disc.dir.path(), "-q"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nDD audio stream 0 in the EVO, not in the title: left out\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("not in the EVO"), std::string::npos) << r.out;
}

// The streams as the JSON names them or by the playlist's languages; "cbAudio00" was unknown,
// and a box the title lacks was found out only after the pass.
TEST(CliPlaylist, StreamsChosenByTheJsonsNamesOrByLanguage) {
    MadeDisc disc;
    const std::string out = disc.dir / "out";
    const struct {
        std::vector<std::string> options;
        std::vector<std::string> kept, left;
    } cases[] = {
        {{"--streams", "cbVideo0,cbAudio01"},
         {"MPEG-2.stream.0.mpv", "DD+.2ch.stream.01.Commentary.mpa"},
         {"DD+.6ch.stream.00.English.mpa"}},
        {{"--lang", "eng"},
         {"MPEG-2.stream.0.mpv", "DD+.6ch.stream.00.English.mpa",
          "DD+.2ch.stream.01.Commentary.mpa"},
         {"DTS-HD.6ch.stream.02.French.mpa"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options[0]);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        std::vector<std::string> args = {"demux", disc.evo, "--xpl", disc.xpl, "--out", out, "-q"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        for (const std::string& name : c.kept)
            EXPECT_TRUE(std::filesystem::exists(out + "/FEATURE_1." + name)) << name;
        for (const std::string& name : c.left)
            EXPECT_FALSE(std::filesystem::exists(out + "/FEATURE_1." + name)) << name;
    }
    const std::vector<std::vector<std::string>> usage = {
        {"demux", disc.evo, "--lang", "eng", "--out", out},
        {"demux", disc.evo, "--xpl", disc.xpl, "--lang", "eng", "--streams", "video0"},
        {"mkv", disc.evo, "--xpl", disc.xpl, "--streams", "audio05", "--out", out},
    };
    for (const auto& args : usage) {
        SCOPED_TRACE(args[2]);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_TRUE(fileNamesIn(out).empty());
    }
}

// --dry-run reads and labels as the job would, then prints the plan and writes nothing.
TEST(CliPlaylist, DryRunPrintsThePlanAndWritesNothing) {
    MadeDisc disc;
    const std::string out = disc.dir / "out";
    std::filesystem::create_directory(out);
    const std::string mpv = out + "/FEATURE_1.MPEG-2.stream.0.mpv";
    const struct {
        std::string command;
        std::vector<std::string> lines;
    } cases[] = {
        {"demux",
         {"Would write " + mpv, "Would write " + out + "/FEATURE_1.chapters.xml",
          "Track cbAudio01: E-AC-3, eng, \"Commentary\", delay 0 ms", "Chapters: 3"}},
        {"rebuild", {"Would write " + out + "/FEATURE_1.rebuilt.EVO", "Chapters: 3"}},
        {"mkv", {"Would write " + out + "/FEATURE_1.mkv"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const auto r = cli({c.command, disc.evo, "--xpl", disc.xpl, "--out", out, "--dry-run"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(r.out.find("\n" + line + "\n"), std::string::npos) << line << "\n" << r.out;
        EXPECT_TRUE(fileNamesIn(out).empty());
    }
    const auto json =
        cli({"mkv", disc.evo, "--xpl", disc.xpl, "--out", out, "--dry-run", "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"plan\":{\"files\":[\"" + out +
                            "/FEATURE_1.mkv\"],\"tracks\":[{"
                            "\"box\":\"cbVideo0\""),
              std::string::npos)
        << json.out;
    EXPECT_TRUE(fileNamesIn(out).empty());
}

TEST(CliPlaylist, XplWritesTheChaptersOfTheEvosTitle) {
    MadeDisc disc;
    const std::string chapters = disc.dir / "chapters.xml";
    const auto r = cli({"xpl", disc.xpl, "--evo", disc.evo, "--chapters", chapters});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, joined(PlaylistLines));
    EXPECT_EQ(readText(chapters), SampleChapterXml);

    const auto noEvo = cli({"xpl", disc.xpl, "--chapters", chapters});
    EXPECT_EQ(noEvo.exitCode, 2);
    EXPECT_EQ(noEvo.err, "splitwick-cli: --chapters needs --evo: the EVO's title has the chapters\n"
                         "Try 'splitwick-cli xpl --help' for more information.\n");

    // A title that is not in the playlist has no chapters to write: that is a failure, not an
    // empty file.
    const auto other = cli({"xpl", disc.xpl, "--evo", disc.dir / "HVDVD_TS/OTHER.EVO", "--chapters",
                            disc.dir / "other.xml"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_TRUE(other.err.ends_with("\nVPLST000.XPL gives no chapters for OTHER.\n")) << other.err;
    EXPECT_FALSE(std::filesystem::exists(disc.dir / "other.xml"));
}

} // namespace
} // namespace splitwick::testing
