// The DTS core beside a DTS-HD stream: from a real DTS-HD Master Audio stream, the core frames
// ffmpeg's own dca_core filter keeps, as a DTS track ffmpeg decodes; from plain DTS, none.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "mux/dts_core.h"
#include "mux/matroska_writer.h"
#include "support/encoded_streams.h"
#include "support/matroska_file.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

const std::string DtsHdMa71 = SPLITWICK_TEST_DATA "/dtshd_ma_71_24bit_12frames.dts";

// The core frames of a DTS stream as the frame cutter cuts it, and what the core knew of the
// stream once its first frame had gone in.
struct CoreFrames {
    std::vector<CutFrame> frames;
    std::optional<bool> hasCoreAfterFirstFrame;
    StreamParameters parameters;

    explicit CoreFrames(const std::string& es) {
        DtsCore core([&](const CutFrame& frame) { frames.push_back(frame); });
        FrameCutter cutter(AV_CODEC_ID_DTS, [&](const CutFrame& frame) {
            core.frame(frame);
            if (!hasCoreAfterFirstFrame) hasCoreAfterFirstFrame = core.hasCore();
            AVPacket* cut = frame.packet;
            av_packet_free(&cut);
        });
        Bytes bytes = readBytes(es);
        const size_t size = bytes.size();
        bytes.resize(size + AV_INPUT_BUFFER_PADDING_SIZE); // read by the parser, as allowed
        cutter.feed(bytes.data(), size, 0, 0);
        cutter.finish();
        parameters = core.parameters();
    }
    ~CoreFrames() {
        for (CutFrame& frame : frames)
            av_packet_free(&frame.packet);
    }
};

TEST(DtsCore, DtsHdGivesTheCoreAsADtsTrack) {
    CoreFrames core(DtsHdMa71);
    EXPECT_EQ(core.hasCoreAfterFirstFrame, true);
    ASSERT_EQ(core.frames.size(), 12u);
    // The core of this 7.1 stream is 5.1; its extension adds the back pair.
    EXPECT_EQ(core.parameters.sampleRate, 48000);
    EXPECT_EQ(core.parameters.channels, 6);

    TempFolder folder;
    const std::string mkv = folder / "core.mkv";
    {
        OpenFiles held;
        OutputFile out(mkv, held);
        MatroskaWriter writer(out);
        writer.start({{MuxCodec::Dts, {}, true, core.parameters, 0, std::nullopt}}, "", false);
        int64_t pts = 0;
        for (CutFrame& frame : core.frames) {
            const int64_t ticks = frame.samples * 90000 / core.parameters.sampleRate;
            writer.write({0, std::exchange(frame.packet, nullptr), pts, pts, ticks, true});
            pts += ticks;
        }
        writer.finish({}, pts);
        out.close();
    }
    EXPECT_EQ(outputLines("ffprobe -v error -show_entries stream=codec_name,profile,channels "
                          "-of csv=p=0 " +
                          inQuotes(mkv)),
              std::vector<std::string>{"dts,DTS,6"});
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:0"), "-c copy"),
              frameHashes("-i " + inQuotes(DtsHdMa71) + " -bsf:a dca_core", "-c copy"));
    EXPECT_EQ(decodingErrors(mkv), "");
}

TEST(DtsCore, PlainDtsGivesNoCore) {
    CoreFrames core(encoded(Encoded::Dts).es);
    EXPECT_EQ(core.hasCoreAfterFirstFrame, false);
    EXPECT_TRUE(core.frames.empty());
}

} // namespace
} // namespace splitwick::testing
