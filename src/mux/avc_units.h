#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavcodec/packet.h>
}

#include "packet_pool.h"

namespace splitwick {

// H.264 as Matroska stores it: NAL units each behind its length in four bytes, and the decoder's
// setup as an AVCDecoderConfigurationRecord. libavformat's muxer converts start-code frames
// itself, searching and copying every byte once more (a tenth of a title's mux); done here with
// the 32-byte start code search, the bytes are the muxer's own: its rules for where a unit
// begins and ends, and its record's fields.
class AvcUnits {
  public:
    // The record of these SPS and PPS in start codes; empty where the muxer's would fail or where
    // the SPS is not plainly read: such a stream is left to the muxer.
    static std::vector<uint8_t> configuration(const uint8_t* annexB, size_t size);

    // The frame's units, each behind its length, in a packet of its own.
    AVPacket* lengthPrefixed(const AVPacket& frame);

  private:
    struct Unit {
        size_t at, length;
    };
    // The units between the start codes, as the muxer takes them.
    static void findUnits(const uint8_t* data, size_t size, std::vector<Unit>& units);

    PacketPool packets_;
    std::vector<Unit> units_;
};

} // namespace splitwick
