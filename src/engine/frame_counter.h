#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include <bitset>

#include "scan_sink.h"

namespace splitwick {

// The frames counted in video stream 0 and 1 (the video tracks of those numbers).
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

  private:
    // The packet's last payload bytes so far: a code cut by a chunk's end begins in them.
    std::array<uint8_t, 3> tail_{};
    size_t tailLength_ = 0;
};

// The frame counts of a scan, when the request asks for them: Read EVO counts every run of
// video, Demux those of the tracks it writes. A run that several counts take is counted once.
class FrameTally : public ScanSink {
  public:
    explicit FrameTally(bool countFrames) : countFrames_(countFrames) {}
    void countEveryStream(FrameCounts& frames) { everyStream_ = &frames; }
    // Counts the runs of the tracks marked written, by their key.
    void countWritten(FrameCounts& frames, const std::bitset<3 * 256>& writtenTracks) {
        written_ = &frames;
        writtenTracks_ = &writtenTracks;
    }

    void payload(PayloadRun& run) override;

  private:
    const bool countFrames_;
    FrameCounts* everyStream_ = nullptr;
    FrameCounts* written_ = nullptr;
    const std::bitset<3 * 256>* writtenTracks_ = nullptr;
    PacketFrameCounter counter_;
};

} // namespace splitwick
