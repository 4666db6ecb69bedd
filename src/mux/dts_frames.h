#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "frame_bytes.h"
#include "packet_pool.h"
#include "parser_stamps.h"

namespace splitwick {

// Cuts a DTS stream into frames by the sizes their headers give instead of searching every byte
// for the next sync word, which cost a fifth of a title's mux: a core frame (sync 7FFE8001, its
// FSIZE) with an extension substream right behind it (sync 64582025, its nuExtSSFsize) or
// alone, the next frame's core sync right after. Frames and timestamps are those libavcodec's
// DTS parser gives the same runs: a frame takes the stamps of the run its first byte lies in
// (or, when its sync word's end lies in a later run, that run's) where that run began after the
// frame before began, none otherwise. The first frame that leaves this layout (damage, another
// sync, a padded core) ends the cutting: the bytes from its start on go back, as the runs they
// came in, to the parser, which takes over from there alike.
class DtsFrames {
  public:
    using Receiver = WholeFrameReceiver;
    struct Run {
        std::vector<uint8_t> bytes;
        int64_t pts, dts;
    };

    // `none` is the stamp of a run that carries none; a frame within one run is copied into a
    // packet of `packets`.
    DtsFrames(int64_t none, PacketPool& packets)
        : packets_(packets), stamps_(none), held_(packets) {}

    // Takes the next run; hands on each frame it completes. False once the layout is left:
    // rest() then holds what is not cut yet.
    bool feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts, const Receiver& frame);
    // The stream has ended: the bytes still held are its last frame.
    void finish(const Receiver& frame);
    // The runs from the frame that left the layout on, the first with that frame's stamps.
    std::vector<Run> rest() const;

  private:
    using Stamps = ParserStamps::Stamps;
    enum class Length { Wanting, Left, Known };

    // The length of the frame at the front of these bytes, once it and the next sync are in;
    // while Wanting, how many bytes it takes to tell.
    static Length frameLength(const uint8_t* bytes, size_t held, size_t& length);
    // Hands the frame at the front on; the next one's stamps follow.
    void cutFront(AVPacket* packet, const Receiver& frame);
    // The stamps the parser gives a frame it looks up at `at` after one that began at `before`.
    Stamps stampsAt(int64_t at, int64_t before, bool first);
    int64_t runStartHolding(int64_t offset) const;

    PacketPool& packets_;
    ParserStamps stamps_;
    struct Held {
        int64_t offset;
        size_t length;
        Stamps stamps;
    };
    std::deque<Held> runs_;  // those the held bytes came in
    FrameBytes held_;        // from the front frame's first byte on
    int64_t frameStart_ = 0; // the front frame's offset in the stream
    int64_t received_ = 0;   // bytes taken so far
    Stamps frameStamps_{};   // the front frame's
    bool left_ = false;
};

} // namespace splitwick
