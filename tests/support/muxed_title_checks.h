#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "matroska_file.h"
#include "test_files.h"

namespace splitwick::testing {

// The title the mux tests make of encoded streams, muxed: H.264, AC-3, E-AC-3 at -50 ms, DTS,
// TrueHD and 16-bit LPCM, in that order. Each track with a delay of 0 or more starts at the
// delay given; the E-AC-3 frames the negative delay puts before the start are left out, so
// that its first frame kept starts a whole number of frames after -50 ms, within a frame of 0.
// Every frame kept is the source's, and the LPCM samples are the source's.
inline void expectTracksStartAtDelaysWithTheSourcesFrames(
    const std::string& mkv, const std::vector<std::pair<size_t, double>>& delays) {
    constexpr double Eac3FrameMs = 32; // 1536 samples at 48 kHz
    const std::vector<double> startMs = startTimesMs(mkv);
    ASSERT_EQ(startMs.size(), 6u);
    for (const auto& [track, delay] : delays)
        EXPECT_NEAR(startMs[track], delay, 1.0) << "track " << track;
    const int64_t dropped = std::llround((startMs[2] + 50) / Eac3FrameMs);
    EXPECT_NEAR(startMs[2], -50 + double(dropped) * Eac3FrameMs, 1.0);
    EXPECT_GE(startMs[2], 0.0);
    EXPECT_LT(startMs[2], Eac3FrameMs);

    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:v:0")),
              frameHashes(elementary("h264", Encoded::H264At24000_1001)));
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:0")), frameHashes(elementary("ac3", Encoded::Ac3)));
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:2")), frameHashes(elementary("dts", Encoded::Dts)));
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:3")),
              frameHashes(elementary("truehd", Encoded::TrueHd)));
    // The decoder's dither runs on from frame to frame: after the cut the frames themselves
    // are compared.
    std::vector<std::string> eac3 = frameHashes(elementary("eac3", Encoded::Eac3), "-c copy");
    ASSERT_GT(eac3.size(), size_t(dropped));
    eac3.erase(eac3.begin(), eac3.begin() + dropped);
    EXPECT_EQ(frameHashes(fromMkv(mkv, "0:a:1"), "-c copy"), eac3);
    // The WAV's samples, decoded back to the DVD's big-endian order, are the source's.
    const std::string samples =
        runCommand("ffmpeg -nostdin -v error " + fromMkv(mkv, "0:a:4") + " -f s16be -");
    EXPECT_TRUE(Bytes(samples.begin(), samples.end()) ==
                readBytes(encoded(Encoded::Lpcm16Stereo).es));
}

} // namespace splitwick::testing
