#pragma once
#include <cstdint>
#include <optional>

namespace splitwick {

// When a block of a track plays and is decoded, in ticks on the title's timeline, and how long
// it lasts.
struct BlockTime {
    int64_t pts;
    int64_t dts;
    int64_t duration;
    bool operator==(const BlockTime&) const = default;
};

// Times a track's frames in decoding order. A frame takes the timestamps of the packet it began
// in; one that began behind another frame in the same packet has none, and goes on from the
// frame before: audio by that frame's length, video by one frame's step (learnt from the
// timestamps met), shown as many frames after its decoding as the stream says when it does
// (MPEG-2's temporal_reference), else with the same delay as the frame before. Video without
// a timestamp before it is decoded from one frame before 0 and shown from 0. A stream that steps
// back in time (a damaged or repeated stretch) goes on from where it was instead: a Matroska
// track goes forward.
class BlockTimes {
  public:
    // frameTicks: a video frame's length until the timestamps tell it; 0 for audio.
    explicit BlockTimes(int64_t frameTicks) : step_(frameTicks), video_(frameTicks > 0) {}

    // The frame's time from its timestamps, or from the frames before; none for an audio
    // frame before the first timestamp. samplesTicks: an audio frame's length.
    std::optional<BlockTime> next(std::optional<int64_t> pts, std::optional<int64_t> dts,
                                  int64_t samplesTicks = 0,
                                  std::optional<int64_t> framesShownAfter = std::nullopt);

  private:
    std::optional<BlockTime> last_;
    std::optional<int64_t> lastStamped_; // the last DTS a frame carried
    int64_t framesSinceStamped_ = 0;
    int64_t step_;
    int64_t jump_ = 0; // added to the stream's timestamps since it stepped back
    bool video_;
};

} // namespace splitwick
