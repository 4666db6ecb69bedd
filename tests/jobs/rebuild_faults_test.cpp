// Regression tests: faults a rebuild must not have.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/job_error.h"
#include "made_packs.h"
#include "rebuild_flow.h"

namespace splitwick::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

const TrackName Audio00{TrackKind::Audio, 0};
const TrackName Video1{TrackKind::Video, 1};

Bytes firstBytes(const Bytes& pack, size_t n) {
    return Bytes(pack.begin(), pack.begin() + long(n));
}

class RebuildFault : public ::testing::Test {
  protected:
    // Rebuilds into work/out (named as given); gives the error's text, or "" when the rebuild
    // succeeded.
    std::string rebuildError(const std::string& outputFolder = "out") {
        fs::create_directories(work / "out");
        filesOpen = openFileDescriptors();
        try {
            s.rebuildInto(work / outputFolder);
        } catch (const JobError& error) {
            return error.what();
        }
        return "";
    }
    // Everything a failed rebuild must leave: files closed, no pass running, Rebuild on, no
    // "Done.".
    void expectCleanFailure() {
        EXPECT_EQ(openFileDescriptors(), filesOpen);
        EXPECT_FALSE(s.events.passRunning());
        EXPECT_NE(s.lines().back(), "Done.");
    }

    TempFolder work;
    const std::string source = work / "A.EVO";
    RebuildSession s;
    size_t filesOpen = 0; // when the last rebuild began
};

TEST_F(RebuildFault, ShortLastPackIsJudgedOnTheBytesReadNotOnThePreviousPack) {
    // The pack before each tail is of the unticked DD+ 0xC0; its sub-stream id still lies at
    // offset 28 of the buffer. The 10-byte tail ends before the stream_id, the 25-byte one before
    // its sub-stream id: neither can be told to be 0xC0's.
    const Bytes tail10 = firstBytes(streamPack(0xE0), 10);
    const Bytes tail25 = firstBytes(subStreamPack(0xC1), 25);
    for (const Bytes& tail : {tail10, tail25}) {
        writePacks(source, {subStreamPack(0xC1), subStreamPack(0xC0), tail});
        s.read(source);
        s.tick(Audio00, false);
        EXPECT_EQ(rebuildError(), "");
        EXPECT_EQ(readBytes(work / "out/A.rebuilt.EVO"), joined({subStreamPack(0xC0), tail}));
    }
}

TEST_F(RebuildFault, ShortLastPackWithItsStreamIdIsStillRenumbered) {
    writePacks(source, {streamPack(0xE0), firstBytes(streamPack(0xE1), 20)});
    s.read(source);
    s.tick({TrackKind::Video, 0}, false);
    EXPECT_EQ(rebuildError(), "");
    EXPECT_EQ(readBytes(work / "out/A.rebuilt.EVO"), firstBytes(streamPack(0xE0), 20));
}

TEST_F(RebuildFault, ExtendedStreamPacketWithoutHeaderDataKeepsItsLengthByte) {
    // PES_header_data_length 0: no byte of the header can be the stream_id_extension, and
    // offset 22 + 0 is the length byte itself.
    const Bytes noHeaderData = withByte(extendedPack(0x55), 22, 0x00);
    writePacks(source, {extendedPack(0x55), noHeaderData});
    s.read(source);
    EXPECT_EQ(rebuildError(), "");
    EXPECT_EQ(readBytes(work / "out/A.rebuilt.EVO"), joined({extendedPack(0x55), noHeaderData}));
}

TEST_F(RebuildFault, ThirdKeptVideoStreamStopsBeforeTakingAnotherCodecsIdentifier) {
    // 0xE0 | 2 would be 0xE2: H.264 instead of MPEG-2.
    writePacks(source, {streamPack(0xE0), streamPack(0xE1), streamPack(0xE0), streamPack(0xE2),
                        streamPack(0xE0)});
    s.read(source);
    // Left out, a stream takes no number: with 0xE1 unticked the others fit.
    s.tick(Video1, false);
    EXPECT_EQ(rebuildError(), "");
    const Bytes earlier =
        joined({streamPack(0xE0), streamPack(0xE0), streamPack(0xE3), streamPack(0xE0)});
    EXPECT_EQ(readBytes(work / "out/A.rebuilt.EVO"), earlier);

    // Kept, it leaves 0xE2 no number: the run fails and the earlier run's file stays as it was.
    s.tick(Video1, true);
    EXPECT_EQ(rebuildError(),
              "Too many video streams are kept: there is no free identifier for stream 0xE2");
    expectCleanFailure();
    EXPECT_EQ(readBytes(work / "out/A.rebuilt.EVO"), earlier);
    EXPECT_EQ(fileNamesIn(work / "out"), std::vector<std::string>{"A.rebuilt.EVO"});
}

TEST_F(RebuildFault, NinthKeptAudioStreamStopsBeforeSharingAnIndex) {
    // After a DD+ stream, DTS-HD 0x8F would be numbered 0x88 | 8 = 0x88: audio index 0 again.
    Packs packs = {subStreamPack(0xC0)};
    for (uint8_t id = 0x88; id <= 0x8E; ++id)
        packs.push_back(subStreamPack(id));
    packs.push_back(subStreamPack(0x8F));
    writePacks(source, packs);
    s.read(source);
    EXPECT_EQ(rebuildError(),
              "Too many audio streams are kept: there is no free identifier for stream 0x8F");
    expectCleanFailure();
    EXPECT_FALSE(fs::exists(work / "out/A.rebuilt.EVO"));
}

TEST_F(RebuildFault, OutputThatIsTheSourceUnderAnotherNameIsRefusedBeforeEmptyingIt) {
    const Packs packs = {streamPack(0xE0), subStreamPack(0xC0)};
    writePacks(source, packs);
    s.read(source);
    fs::create_directories(work / "out");
    const std::string output = work / "out/A.rebuilt.EVO";
    const std::vector<std::function<void()>> links = {
        [&] { fs::create_hard_link(source, output); },
        [&] { fs::create_symlink(source, output); },
        [&] { fs::create_symlink("../A.EVO", output); },
    };
    for (const auto& link : links) {
        fs::remove(output);
        link();
        EXPECT_EQ(rebuildError(), "Cannot create file \"" + output + "\". " + FileInUse);
        expectCleanFailure();
        EXPECT_EQ(s.lines().back(), "File size: 0 Mbytes.");
        EXPECT_EQ(readBytes(source), joined(packs));
    }
    // The same through a "./" in the output folder: the message names the file plainly.
    EXPECT_EQ(rebuildError("out/./"), "Cannot create file \"" + output + "\". " + FileInUse);
    EXPECT_EQ(readBytes(source), joined(packs));
}

TEST_F(RebuildFault, OutputThatIsTheSecondPartUnderAnotherNameIsRefusedBeforeEmptyingIt) {
    const Packs second = {subStreamPack(0xC0)};
    writePacks(work / "A_1.EVO", {streamPack(0xE0)});
    writePacks(work / "A_2.EVO", second);
    s.read(work / "A_1.EVO");
    fs::create_directories(work / "out");
    fs::create_hard_link(work / "A_2.EVO", work / "out/A_1_2.rebuilt.EVO");
    EXPECT_EQ(rebuildError(),
              "Cannot create file \"" + work.path() + "/out/A_1_2.rebuilt.EVO\". " + FileInUse);
    expectCleanFailure();
    EXPECT_EQ(readBytes(work / "A_2.EVO"), joined(second));
}

} // namespace
} // namespace splitwick::testing
