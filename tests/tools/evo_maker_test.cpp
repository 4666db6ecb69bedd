// The test-file maker itself: its packets are laid out as the format says, an independent
// reader sees its streams, and its recipes are deterministic and checked.
#include <cstdio>
#include <regex>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "evo_maker/evo_maker.h"
#include "evo_maker/pes_builder.h"
#include "support/test_files.h"

namespace splitwick::maker {
namespace {

using testing::Bytes;
using testing::readBytes;
using testing::runCommand;
using testing::TempFolder;

TEST(PesBuilder, HeaderFieldsAreLaidOutInTheirOrder) {
    PesHeader header;
    header.pts = 0x123456789;
    header.dts = 0x123450000;
    header.pstd = true;
    header.streamIdExtension = 0x55;
    header.stuffing = 2;
    const Bytes expected = {
        0x00, 0x00, 0x01, 0xFD, 0x00, 0x16, // start code, PES_packet_length 22
        0x81, 0xC1, 0x11,                   // '10' original; PTS and DTS, extension; 17
        0x39, 0x8D, 0x15, 0xCF, 0x13,       // '0011' PTS with its marker bits
        0x19, 0x8D, 0x15, 0x00, 0x01,       // '0001' DTS
        0x1F,                               // P-STD_buffer_flag, reserved, extension 2
        0x60, 0xE8,                         // '01' scale 1, size 232
        0x81, 0x55,                         // PES_extension_field_length 1, stream_id_extension
        0xFF, 0xFF,                         // stuffing
        0xAA, 0xBB,                         // body
    };
    EXPECT_EQ(pesPacket(ExtendedStream, header, {0xAA, 0xBB}), expected);
    EXPECT_EQ(pesHeaderSize(header), expected.size() - 2);
}

TEST(PesBuilder, PackAndSystemHeadersSitWhereAScanLooks) {
    Bytes system;
    appendSystemHeader(system, 2, 8);
    const Bytes bytes = pack(0x123456789, {system});
    ASSERT_EQ(bytes.size(), PackSize);
    // SCR 0x123456789 with its markers, extension 0; program_mux_rate 75600; no stuffing.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14),
              (Bytes{0x00, 0x00, 0x01, 0xBA, 0x66, 0x34, 0x57, 0x3C, 0x4C, 0x01, 0x04, 0x9D, 0x43,
                     0xF8}));
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.begin() + 18), (Bytes{0x00, 0x00, 0x01, 0xBB}));
    EXPECT_EQ(bytes[23] >> 2, 8);   // audio_bound
    EXPECT_EQ(bytes[24] & 0x1F, 2); // video_bound
    // The rest is one padding packet of 2004 data bytes.
    const size_t padding = PackHeaderSize + SystemHeaderSize;
    EXPECT_EQ(Bytes(bytes.begin() + padding, bytes.begin() + padding + 6),
              (Bytes{0x00, 0x00, 0x01, 0xBE, 0x07, 0xD4}));

    EXPECT_THROW(pack(0, {Bytes(PackSize - PackHeaderSize - 3, 0xAA)}), std::invalid_argument);
    EXPECT_THROW(pack(0, {Bytes(PackSize, 0xAA)}), std::invalid_argument);
}

TEST(PesBuilder, SubStreamHeadersHaveTheirCodecsLengths) {
    const std::pair<uint8_t, size_t> sizes[] = {{0x20, 1}, {0x3F, 1}, {0x60, 1}, {0x7F, 1},
                                                {0x80, 4}, {0x8F, 4}, {0xA0, 7}, {0xA7, 7},
                                                {0xB0, 5}, {0xB7, 5}, {0xC0, 4}, {0xCF, 4}};
    for (const auto& [id, size] : sizes)
        EXPECT_EQ(subStreamHeader(id).size(), size) << int(id);
    // LPCM: id, frames, first access unit, emphasis/mute/frame, 16 bit 48 kHz 2 channels,
    // dynamic range.
    EXPECT_EQ(subStreamHeader(0xA1), (Bytes{0xA1, 0x01, 0x00, 0x01, 0x00, 0x01, 0x80}));
}

TEST(EvoMaker, AnIndependentReaderSeesEveryStream) {
    if (std::system("ffprobe -version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    TempFolder folder;
    Recipe recipe;
    recipe.streams = {{Codec::Mpeg2, 0xE0, 4}, {Codec::H264, 0xE3, 4}, {Codec::Vc1, 0x56, 4},
                      {Codec::DD, 0x80},       {Codec::DtsHd, 0x89},   {Codec::Lpcm, 0xA2},
                      {Codec::Mlp, 0xB3},      {Codec::DDPlus, 0xC4},  {Codec::Subpicture, 0x23}};
    recipe.size = 1048576;
    recipe.varyHeaders = true;
    makeEvo(recipe, folder / "PROBE.EVO");

    // ffprobe lists the streams it found as "Stream #0:1[0x1e0]: ...".
    const std::string text =
        runCommand("ffprobe -hide_banner '" + folder / "PROBE.EVO" + "' 2>&1 || true");
    std::set<std::string> ids;
    const std::regex stream(R"(Stream #0:\d+\[(0x[0-9a-f]+)\])");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), stream);
         it != std::sregex_iterator(); ++it)
        ids.insert((*it)[1]);
    // Video by stream_id (VC-1 with its extension), private-stream-1 streams by sub-stream id.
    EXPECT_EQ(ids, (std::set<std::string>{"0x1bf", "0x1e0", "0x1e3", "0xfd56", "0x80", "0x89",
                                          "0xa2", "0xb3", "0xc4", "0x23"}));
    // It takes the LPCM sub-stream header as 48 kHz stereo 16-bit.
    EXPECT_NE(text.find("[0xa2]: Audio: pcm_dvd, 48000 Hz, stereo, s16"), std::string::npos);
}

TEST(EvoMaker, OneRecipeMakesTheSameBytesAndSplitTitlesJoinTheirParts) {
    TempFolder folder, expected;
    Recipe recipe;
    recipe.streams = {{Codec::H264, 0xE2, 6}, {Codec::Lpcm, 0xA0}, {Codec::ExtSubpicture, 0x61}};
    recipe.size = 300000;
    recipe.parts = 2;
    recipe.varyHeaders = true;
    const MadeEvo made = makeEvo(recipe, folder / "T_1.EVO", expected.path());
    const Bytes first = readBytes(folder / "T_1.EVO");
    makeEvo(recipe, folder / "T_1.EVO");
    EXPECT_EQ(readBytes(folder / "T_1.EVO"), first);
    recipe.seed = 2;
    makeEvo(recipe, folder / "T_1.EVO");
    EXPECT_NE(readBytes(folder / "T_1.EVO"), first);

    ASSERT_EQ(made.expectedFiles.size(), 3u * 4u);
    for (const char* name : {".H.264.stream.0.mpv", ".LPCM.stream.00.mpa", ".Ext.Subpicture.01.sup",
                             ".Ext.Subpicture.01.pts"}) {
        Bytes joined = readBytes(expected / ("T_1" + std::string(name)));
        const Bytes second = readBytes(expected / ("T_2" + std::string(name)));
        joined.insert(joined.end(), second.begin(), second.end());
        EXPECT_EQ(readBytes(expected / ("T_1_2" + std::string(name))), joined) << name;
    }
}

TEST(EvoMaker, RecipesItCannotMakeAreRefused) {
    TempFolder folder;
    const auto refused = [&](Recipe recipe, const std::string& name = "X_1.EVO") {
        EXPECT_THROW(makeEvo(recipe, folder / name), std::invalid_argument);
    };
    Recipe recipe;
    recipe.streams = {{Codec::Mpeg2, 0xE0}};
    Recipe wrongId = recipe;
    wrongId.streams = {{Codec::Mpeg2, 0xE2}};
    refused(wrongId);
    Recipe claimed = recipe;
    claimed.streams = {{Codec::UnknownSubStream, 0x80}};
    refused(claimed);
    // A damaged packet's body is read as bytes between packets, where a trap is a start code.
    Recipe trapsInDamage = recipe;
    trapsInDamage.startCodeTraps = true;
    trapsInDamage.zeroLengthEvery = 3;
    refused(trapsInDamage);
    Recipe split = recipe;
    split.parts = 2;
    refused(split, "X.EVO");
}

} // namespace
} // namespace splitwick::maker
