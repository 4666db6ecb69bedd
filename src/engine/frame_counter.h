#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "scan_sink.h"

namespace splitwick {

// The frames counted in video stream 0 and 1.
using FrameCounts = std::array<int64_t, 2>;

// Counts the frame start codes of the codec that lie wholly inside one run: MPEG-2
// picture_start_code 00 00 01 00, H.264 access unit delimiter 00 00 01 09, VC-1 frame start
// code 00 00 01 0D.
int64_t countFrames(const uint8_t* data, size_t length, VideoCodec codec);

// Counts the frame start codes of one packet's payload, handed on run by run: a code that the
// end of a chunk cut in two is counted once, so the count does not depend on where reads end.
// Nothing is carried from one packet to the next: a code split over two packets is not counted.
class PacketFrameCounter {
  public:
    int64_t count(const uint8_t* data, size_t length, VideoCodec codec, bool continuesPacket);
    // A run went by uncounted: the next one has nothing to join.
    void forget() { tailLength_ = 0; }
    // Adds the frames of a video run of stream 0 or 1 to its count when counted is true.
    void tally(const PayloadRun& run, bool counted, FrameCounts& counts);

  private:
    // The packet's last payload bytes so far: a code cut by a chunk's end begins in them.
    std::array<uint8_t, 3> tail_{};
    size_t tailLength_ = 0;
};

} // namespace splitwick
