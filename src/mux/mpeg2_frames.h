#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "frame_bytes.h"
#include "packet_pool.h"
#include "parser_stamps.h"

namespace splitwick {

// Cuts MPEG-2 video into frames as libavcodec's parser does, with the same frames and stamps for
// the same runs, but finding the start codes 32 bytes at a time: the parser's byte-by-byte search
// and its copy of every frame cost a tenth of a title's mux. A frame runs from the first start
// code after the frame before (its sequence header, group or picture) through its slices, up to
// the next start code that is not a slice's; a field picture's slices and its pair's go in one
// frame; a sequence end code ends the frame it stands in. A frame takes the stamps of the run
// its picture start code begins in, by the parser's rules for which run that is.
class Mpeg2Frames {
  public:
    using Receiver = WholeFrameReceiver;

    // `none` is the stamp of a run that carries none; a frame within one run is copied into a
    // packet of `packets`.
    Mpeg2Frames(int64_t none, PacketPool& packets);

    void feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts, const Receiver& frame);
    // The stream has ended: the bytes still held are its last frame.
    void finish(const Receiver& frame);

  private:
    struct Run {
        const uint8_t* data;
        size_t length;
        int64_t start; // its first byte's offset in the stream
    };

    // Where the start code after `from` has its code byte, in the run; its length when none.
    size_t nextCode(const Run& run, size_t from) const;
    uint8_t byteAt(const Run& run, int64_t at) const;
    // Takes the code whose code byte is at `at`.
    void takeCode(const Run& run, size_t at, const Receiver& frame);
    void takeExtensionByte(uint8_t byte, int64_t at);
    // Hands on the frame that ends before `end` and begins the next there.
    void cut(const Run& run, int64_t end, const Receiver& frame);
    // The parser looks the stamps up anew where a call begins after a frame came out.
    void beginCall(int64_t at);

    PacketPool& packets_;
    ParserStamps stamps_;
    ParserStamps::Stamps frameStamps_;
    FrameBytes held_;                 // the front frame's bytes from earlier runs
    std::array<uint8_t, 3> recent_{}; // the last bytes before the run, for codes that span two
    int64_t received_ = 0;
    int64_t frameStart_ = 0;
    int64_t heldFrom_ = 0;    // where held_ begins: the frame's start unless it grew too long
    int64_t frameBefore_ = 0; // where the frame before the front one began
    bool first_ = true;       // no frame has come out yet
    int64_t callStart_ = 0;   // where the parser's call that looks at the bytes now began
    bool lookUpPending_ = true;
    int64_t prefixesFrom_ = 0; // a start code whose prefix begins before this is not seen
    int phase_ = 0;
    int extensionByte_ = 0; // the byte after an extension start code being looked at
};

} // namespace splitwick
