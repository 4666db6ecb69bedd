#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "flac_encoder.h"

namespace splitwick {

// An LPCM track as FLAC in a .mkv: the samples go through FlacEncoder, and each FLAC frame takes
// the time of its first sample, from the LPCM packet that sample came in (its PTS, and the part
// of the title whose clock times it) and the samples after that packet's first.
class FlacTrack {
  public:
    struct Frame {
        AVPacket* packet; // owned by the receiver
        int part;
        std::optional<int64_t> pts; // none for samples before the stream's first PTS
        int64_t ticks;              // its length
    };
    using Receiver = std::function<void(const Frame&)>;

    FlacTrack(const LpcmFormat& format, int level, Receiver receiver);

    // Whole sample frames as LpcmSamples converts them, from a packet of this part and PTS
    // (none when the packet carried none, or when they continue one).
    void samples(std::span<const uint8_t> samples, int part, std::optional<int64_t> pts);
    // The stream has ended: the last frames come out.
    void finish();

    const StreamParameters& parameters() const { return encoder_.parameters(); }
    // "LPCM stream 0 as FLAC: 412.3 MiB of PCM became 201.5 MiB (49 %)"
    std::string sizeLine(int streamNumber) const;

  private:
    struct Mark {
        int64_t sample; // the first sample of a packet that carried a PTS
        int part;
        int64_t pts;
    };

    void frame(const FlacFrame& frame);

    Receiver receiver_;
    int sampleRate_;
    size_t frameBytes_;
    int64_t samplesIn_ = 0;
    int part_ = 0;           // of the samples that came in last
    std::deque<Mark> marks_; // from the one before the next frame's first sample on
    FlacEncoder encoder_;
};

} // namespace splitwick
