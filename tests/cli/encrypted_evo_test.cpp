// An EVO copied from a disc without decrypting it: read says so, and no job writes from it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "cli_program.h"
#include "evo_maker/scramble.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A split title X_1.EVO + X_2.EVO of 512 packs each, made by the test-file maker; scrambleFrom
// marks its media packets encrypted from that pack on (counted on through the second part).
struct Title {
    TempFolder dir;
    std::string first = dir / "X_1.EVO";
    std::string second = dir / "X_2.EVO";
    std::string out = dir / "out";

    Title() { std::filesystem::create_directory(out); }
    // Every entry of the output folder, a folder's as its name alone.
    std::map<std::string, Bytes> outputs() const {
        std::map<std::string, Bytes> files;
        for (const std::string& name : fileNamesIn(out))
            files[name] = std::filesystem::is_directory(out + "/" + name)
                              ? Bytes{}
                              : readBytes(out + "/" + name);
        return files;
    }
    void make(int scrambleFrom = -1) const {
        runCommand(std::string(SPLITWICK_MAKE_EVO) + " --out '" + first + "' --size 2M --split" +
                   (scrambleFrom >= 0 ? " --scramble-from " + std::to_string(scrambleFrom) : ""));
    }
};

std::string encrypted(const std::string& path) {
    return "\"" + path + "\" is encrypted (its packs are scrambled): decrypt it first.\n";
}

TEST(EncryptedEvo, ReadNamesItAndCountsTheScrambledPacks) {
    Title title;
    title.make(40);
    const auto r = cli({"read", title.first});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("Done.\nThe EVO is encrypted: 469 of 512 packs are scrambled. "
                                 "Decrypt it first; its streams cannot be used as they are.\n"));
    EXPECT_THAT(cli({"read", title.first, "--json"}).out, HasSubstr("\"scrambled_packs\":469,"));

    Title clear;
    clear.make();
    const auto plain = cli({"read", clear.first, "--json"});
    EXPECT_THAT(plain.out, Not(HasSubstr("encrypted")));
    EXPECT_THAT(plain.out, HasSubstr("\"scrambled_packs\":0,"));
}

// Each job, over a title whose earlier, clear outputs lie in the output folder: the job fails
// naming the encrypted part, and the folder keeps what it held.
TEST(EncryptedEvo, JobsThatWriteStopAndLeaveTheOutputFolderAsItWas) {
    const std::vector<std::vector<std::string>> jobs = {
        {"demux"}, {"demux", "--lpcm", "wav"}, {"rebuild"}, {"rebuild", "--streams", "none"}};
    for (const auto& job : jobs) {
        for (int scrambleFrom : {40, 600}) {
            Title title;
            title.make();
            std::vector<std::string> args = {job[0], title.first, "--out", title.out};
            args.insert(args.end(), job.begin() + 1, job.end());
            ASSERT_EQ(cli(args).exitCode, 0);
            const auto before = title.outputs();
            title.make(scrambleFrom);
            const auto r = cli(args);
            const std::string& named = scrambleFrom < 512 ? title.first : title.second;
            EXPECT_EQ(r.exitCode, 1) << job[0] << " " << scrambleFrom;
            EXPECT_EQ(r.err, encrypted(named)) << job[0] << " " << scrambleFrom;
            EXPECT_TRUE(title.outputs() == before) << job[0] << " " << scrambleFrom;
        }
    }
}

// The same for mkv, over a title of encoded streams that go into Matroska.
TEST(EncryptedEvo, MkvStopsAndLeavesTheOutputFolderAsItWas) {
    for (int64_t scrambleFrom : {40, 700}) {
        Title title;
        const maker::MadeEsEvo made =
            makeEncodedEvo({{{Encoded::Mpeg2At25}, {Encoded::Ac3}}, 90000, 2}, title.first);
        ASSERT_LT(made.evo.parts[0].size / 2048, 700);
        const std::vector<std::string> args = {"mkv", title.first, "--out", title.out};
        ASSERT_EQ(cli(args).exitCode, 0);
        const auto before = title.outputs();
        maker::scrambleFrom({title.first, title.second}, scrambleFrom);
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, encrypted(scrambleFrom == 40 ? title.first : title.second));
        EXPECT_TRUE(title.outputs() == before) << scrambleFrom;
    }
}

} // namespace
} // namespace splitwick::testing
