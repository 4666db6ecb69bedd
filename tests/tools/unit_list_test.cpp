// The unit lists the maker cuts elementary streams by, and the units of LPCM it makes itself.
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "engine/lpcm_format.h"
#include "evo_maker/pes_builder.h"
#include "evo_maker/unit_list.h"
#include "support/test_files.h"

namespace splitwick::maker {
namespace {

using testing::TempFolder;

class UnitLists : public ::testing::Test {
  protected:
    UnitList read(const std::string& text, int64_t streamSize) {
        std::ofstream(folder / "units") << text;
        return readUnitList(folder / "units", streamSize);
    }
    // The message of the refusal, or "" when the list is taken.
    std::string refusal(const std::string& text, int64_t streamSize) {
        try {
            read(text, streamSize);
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        return "";
    }

    TempFolder folder;
};

TEST_F(UnitLists, FramesOf24000_1001BecomeTicksRoundedToTheNearest) {
    // Decode order I P B B: the B-frames are presented between the I- and the P-frame.
    const UnitList list = read("# made by hand\n"
                               "timebase 1001/24000\n"
                               "\n"
                               "0 100 0 -2 key\n"
                               "100 50 3 -1\n"
                               "150 20 1 0\n"
                               "170 30 2 1\n",
                               200);
    ASSERT_EQ(list.units.size(), 4u);
    // 3753.75 ticks a frame.
    EXPECT_EQ(list.units[0].dts, -7507);
    EXPECT_EQ(list.units[1].pts, 11261);
    EXPECT_EQ(list.units[1].dts, -3754);
    EXPECT_EQ(list.units[2].pts, 3754);
    EXPECT_EQ(list.units[3].pts, 7508);
    EXPECT_TRUE(list.units[0].key);
    EXPECT_FALSE(list.units[1].key);
    EXPECT_EQ(list.units[3].offset, 170);
    EXPECT_EQ(list.unitDuration.num, 1001);
    EXPECT_EQ(list.unitDuration.den, 24000);

    EXPECT_EQ(toTicks(-1, {1, 25}), -3600);
    EXPECT_EQ(toTicks(1536, {1, 48000}), 2880);
    EXPECT_EQ(toTicks(int64_t(1) << 33, {1, 90000}), int64_t(1) << 33);
}

TEST_F(UnitLists, ListsThatDoNotFitTheirStreamAreRefused) {
    const std::string timebase = "timebase 1/25\n";
    const std::pair<std::string, std::string> cases[] = {
        {"0 100 0 0\n", "line 1: the timebase must come first"},
        {timebase + "0 100 0 0\n120 80 1 1\n", "line 3: offset 120 where the previous"},
        {timebase + "0 100 0 0\n90 110 1 1\n", "line 3: offset 90"},
        {timebase + "0 100 0 0\n100 50 1 1\n", "the units cover 150 bytes of a stream of 200"},
        {timebase + "0 100 0 0\n100 150 1 1\n", "line 3: the unit does not fit"},
        {timebase + "0 100 1 1\n100 100 2 0\n", "line 3: decoded before the unit in front"},
        {timebase + "0 100 0 1\n100 100 2 2\n", "line 2: decoded after it is presented"},
        {timebase + "0 100 0 0 keyframe\n100 100 1 1\n", "line 2: unknown field keyframe"},
        {"timebase 0/25\n0 200 0 0\n", "line 1: a timebase is NUM/DEN"},
        {timebase, "the units cover 0 bytes"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_NE(refusal(text, 200).find(message), std::string::npos)
            << text << " gave: " << refusal(text, 200);
    EXPECT_EQ(refusal(timebase + "0 100 0 0\n100 100 1 1 key\n", 200), "");
}

TEST(LpcmUnits, HeadersCodeEveryFormatAsTheEngineReadsIt) {
    for (const int bits : {16, 20, 24})
        for (const int rate : {48000, 96000})
            for (int channels = 1; channels <= 8; ++channels) {
                const LpcmFormat format{bits, rate, channels};
                EXPECT_EQ(lpcmFormat({0x00, lpcmCoding(format), 0x80}), format) << describe(format);
                // 1/1200 s a unit: whole groups of two samples a channel at 20 and 24 bits.
                const UnitList list = lpcmUnitList(format, 3 * lpcmUnitSize(format));
                ASSERT_EQ(list.units.size(), 3u);
                EXPECT_EQ(list.units[2].pts, 150);
                EXPECT_EQ(lpcmUnitSize(format) % (bits == 16 ? 2 : bits * 2 / 8) * channels, 0);
            }
    // A stream that ends inside a group of samples is no LPCM stream.
    EXPECT_THROW(lpcmUnitList({24, 48000, 2}, 1000), std::invalid_argument);
    EXPECT_THROW(lpcmUnitList({16, 44100, 2}, 1000), std::invalid_argument);
    // A last unit of fewer samples.
    const UnitList list = lpcmUnitList({16, 48000, 2}, 160 + 40);
    ASSERT_EQ(list.units.size(), 2u);
    EXPECT_EQ(list.units[1].size, 40);
}

} // namespace
} // namespace splitwick::maker
