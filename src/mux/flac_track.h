#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "flac_encoder.h"

namespace splitwick {

// An LPCM track as FLAC in a .mkv: the samples go through FlacEncoder, and each FLAC frame takes
// the time of its first sample, from the LPCM packet that sample came in (its PTS, and the part
// of the title whose clock times it) and the samples after that packet's first. The encoder
// runs on a thread of its own, beside the pass, at most MaxWaiting bytes of samples behind it;
// the frames it makes go to the receiver on the caller's thread, as samples come in and at the
// end.
class FlacTrack {
  public:
    struct Frame {
        AVPacket* packet; // owned by the receiver
        int part;
        std::optional<int64_t> pts; // none for samples before the stream's first PTS
        int64_t samples;            // its length
    };
    using Receiver = std::function<void(const Frame&)>;

    FlacTrack(const LpcmFormat& format, int level, Receiver receiver);
    ~FlacTrack();
    FlacTrack(const FlacTrack&) = delete;
    FlacTrack& operator=(const FlacTrack&) = delete;

    // Whole sample frames as LpcmSamples converts them, from a packet of this part and PTS
    // (none when the packet carried none, or when they continue one).
    void samples(std::span<const uint8_t> samples, int part, std::optional<int64_t> pts);
    // The stream has ended: the last frames come out.
    void finish();

    const StreamParameters& parameters() const { return encoder_.parameters(); }
    // After finish(): "LPCM stream 0 as FLAC: 412.3 MiB of PCM became 201.5 MiB (49 %)"
    std::string sizeLine(int streamNumber) const;

  private:
    struct Mark {
        int64_t sample; // the first sample of a packet that carried a PTS
        int part;
        int64_t pts;
    };
    static constexpr size_t MaxWaiting = 256 * 1024;

    void encode(); // the encoder's thread
    // Hands the frames the encoder made to the receiver, timed; rethrows its failure.
    void handOut(std::unique_lock<std::mutex>& lock);
    void frame(const FlacFrame& frame);

    Receiver receiver_;
    int sampleRate_;
    size_t frameBytes_;
    int64_t samplesIn_ = 0;
    int part_ = 0;           // of the samples that came in last
    std::deque<Mark> marks_; // from the one before the next frame's first sample on
    FlacEncoder encoder_;

    // Shared with the encoder's thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> waiting_; // samples for the encoder
    size_t waitingBytes_ = 0;
    std::deque<FlacFrame> made_; // frames for the receiver
    bool ended_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace splitwick
