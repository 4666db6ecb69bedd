// A mux that fails, warns, is stopped or cannot start: never a file under the final name
// that is not whole, never a partial file left behind.
#include <QEventLoop>

#include <cstdlib>

#include "mux_fixture.h"
#include "support/fake_mkvmerge.h"
#include "support/job_error_of.h"
#include "support/matroska_file.h"

namespace splitwick::testing {
namespace {

Box audio(int index) {
    return {BoxKind::Audio, index};
}

bool never() {
    return false;
}

class MuxFailure : public MuxTest {
  protected:
    // Video and audio: long enough for mkvmerge to report progress before it ends.
    MuxPlan picturePlan() const {
        MuxPlan plan = planFor("FEATURE_1");
        plan.tracks = {track(Encoded::Mpeg2At25, {BoxKind::Video, 0}, MuxCodec::Mpeg2),
                       track(Encoded::Dts, audio(0), MuxCodec::Dts)};
        return plan;
    }
};

TEST_F(MuxFailure, BrokenInputFailsWithMkvmergesErrorAndLeavesNoFile) {
    MuxPlan plan = planFor("FEATURE_1");
    const std::string broken = folder / "FEATURE_1.DD.stream.01.mpa";
    Bytes noise(100000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7919 >> 3);
    writeBytes(broken, noise);
    plan.tracks = {track(Encoded::Ac3, audio(0), MuxCodec::Ac3),
                   {broken, audio(1), MuxCodec::Ac3, {}, 0, std::nullopt}};

    const MuxOutcome outcome = run(plan);
    EXPECT_EQ(outcome.end, MuxEnd::Failed);
    EXPECT_EQ(outcome.error, "mkvmerge failed to write \"" + plan.output +
                                 "\": The type of file '" + broken + "' could not be recognized.");
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"FEATURE_1.DD.stream.01.mpa"});
    EXPECT_EQ(report.lines, std::vector<std::string>{"Muxing " + plan.output});
    EXPECT_EQ(report.panels, (std::array<std::string, 2>{"Ready", ""}));

    // The command line's way gives the same text as its error.
    EXPECT_EQ(jobErrorOf([&] { muxAndWait(plan, report, never); }), outcome.error);
}

TEST_F(MuxFailure, WarningsAreLoggedAndTheFileIsMade) {
    // Bytes of no frame inside an AC-3 stream: mkvmerge skips them, warns and ends with 1.
    Bytes ac3 = readBytes(encoded(Encoded::Ac3).es);
    ac3.insert(ac3.begin() + 30000, 4096, 0x5A);
    const std::string damaged = folder / "FEATURE_1.DD.stream.00.mpa";
    writeBytes(damaged, ac3);
    MuxPlan plan = planFor("FEATURE_1");
    plan.tracks = {{damaged, audio(0), MuxCodec::Ac3, {}, 0, std::nullopt}};

    EXPECT_EQ(run(plan).end, MuxEnd::Muxed);
    ASSERT_EQ(report.lines.size(), 3u);
    EXPECT_EQ(report.lines[1].rfind("mkvmerge warning: '" + damaged + "' track 0: ", 0), 0u)
        << report.lines[1];
    EXPECT_NE(report.lines[1].find("invalid data"), std::string::npos) << report.lines[1];
    EXPECT_EQ(report.lines[2], "Muxed " + plan.output);
    EXPECT_EQ(fileNamesIn(folder.path()),
              (std::vector<std::string>{"FEATURE_1.DD.stream.00.mpa", "FEATURE_1.mkv"}));
}

TEST_F(MuxFailure, FinalNameThatCannotBeTakenFailsAndRemovesThePartialFile) {
    MuxPlan plan = planFor("FEATURE_1");
    plan.tracks = {track(Encoded::Ac3, audio(0), MuxCodec::Ac3)};
    std::filesystem::create_directories(plan.output + "/kept");

    const MuxOutcome outcome = run(plan);
    EXPECT_EQ(outcome.end, MuxEnd::Failed);
    EXPECT_EQ(outcome.error, "Cannot create file \"" + plan.output + "\". Is a directory");
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"FEATURE_1.mkv"});
    EXPECT_EQ(report.lines, std::vector<std::string>{"Muxing " + plan.output});
}

TEST_F(MuxFailure, CancelLeavesNeitherTheFileNorThePartialOne) {
    const MuxPlan plan = picturePlan();
    // While mkvmerge writes: its partial file is there to be removed.
    bool partialSeen = false;
    report.onProgress = [&] {
        partialSeen = partialExists(plan.output);
        runner->cancel();
    };
    EXPECT_EQ(run(plan).end, MuxEnd::Cancelled);
    EXPECT_TRUE(partialSeen);
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});
    EXPECT_EQ(report.lines.back(), "Muxing stopped");
    EXPECT_EQ(report.panels, (std::array<std::string, 2>{"Ready", ""}));

    // At once, before mkvmerge has had a chance to start.
    report.onProgress = {};
    EXPECT_EQ(run(plan, [&] { runner->cancel(); }).end, MuxEnd::Cancelled);
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});

    // The command line's Ctrl-C.
    EXPECT_EQ(muxAndWait(plan, report, [] { return true; }), MuxEnd::Cancelled);
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});
}

TEST_F(MuxFailure, RunnerDestroyedWhileMuxingLeavesNoPartialFile) {
    // As when the program ends during a mux.
    const MuxPlan plan = picturePlan();
    QEventLoop loop;
    bool finished = false;
    runner = std::make_unique<MuxRunner>(report, [&](const MuxOutcome&) { finished = true; });
    report.onProgress = [&] { loop.quit(); };
    runner->start(plan);
    loop.exec();
    ASSERT_TRUE(partialExists(plan.output));
    runner.reset();
    EXPECT_FALSE(finished);
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});
}

// Two runs into one folder, as two windows or commands may make them: each writes a partial file
// of its own, and the file that ends under the final name is a whole one.
TEST_F(MuxFailure, TwoMuxesOfOneFileAtOnceDoNotWriteIntoEachOther) {
    const MuxPlan plan = picturePlan();
    QEventLoop loop;
    int ended = 0;
    std::vector<MuxOutcome> outcomes;
    const auto finished = [&](const MuxOutcome& outcome) {
        outcomes.push_back(outcome);
        if (++ended == 2) loop.quit();
    };
    MuxRunner first(report, finished), second(report, finished);
    first.start(plan);
    second.start(plan);
    loop.exec();
    for (const MuxOutcome& outcome : outcomes)
        EXPECT_EQ(outcome.end, MuxEnd::Muxed) << outcome.error;
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{"FEATURE_1.mkv"});
    EXPECT_EQ(identifyMkv(plan.output).tracks.size(), 2u);
}

// mkvmerge that fails without a message of its own, or ends well without having written: the
// error names the file it was to make.
TEST_F(MuxFailure, MkvmergeEndingWithoutTheFileNamesIt) {
    const TempFolder bin;
    const ScopedEnvironment path("PATH", bin.path() + ":" + std::getenv("PATH"));
    const MuxPlan plan = picturePlan();
    const std::string failed = "mkvmerge failed to write \"" + plan.output + "\": ";
    const struct {
        const char* script;
        std::string error;
    } rows[] = {
        {"exit 2", failed + "it ended with exit code 2"},
        {"kill -SEGV $$", failed + "it stopped unexpectedly"},
        {"exit 0", failed + "it ended with exit code 0 but wrote nothing"},
        {"rm \"$out\"; exit 1", failed + "it ended with exit code 1 but wrote nothing"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.script);
        writeFakeMkvmerge(bin.path(), row.script);
        const MuxOutcome outcome = run(plan);
        EXPECT_EQ(outcome.end, MuxEnd::Failed);
        EXPECT_EQ(outcome.error, row.error);
        EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});
    }
}

TEST_F(MuxFailure, MissingMkvmergeNamesThePackageToInstall) {
    const TempFolder emptyFolder;
    const ScopedEnvironment path("PATH", emptyFolder.path());
    const MuxPlan plan = picturePlan();
    const std::string hint = "mkvmerge was not found: install the mkvtoolnix package";
    runner = std::make_unique<MuxRunner>(report, [](const MuxOutcome&) {});
    EXPECT_EQ(jobErrorOf([&] { runner->start(plan); }), hint);
    EXPECT_FALSE(runner->running());
    EXPECT_EQ(jobErrorOf([&] { muxAndWait(plan, report, never); }), hint);
    EXPECT_EQ(report.lines, std::vector<std::string>{});
    EXPECT_EQ(fileNamesIn(folder.path()), std::vector<std::string>{});
}

} // namespace
} // namespace splitwick::testing
