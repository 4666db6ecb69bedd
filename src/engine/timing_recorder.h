#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan_sink.h"
#include "stream_timing.h"

namespace splitwick {

// The timing side of a scan: the first PTS of every stream and, for video stream 0, the first
// presented frame, the last and the frame rate. It looks at the first run of each packet that
// carries a timestamp, never at payload bytes.
class TimingRecorder : public ScanSink {
  public:
    TimingRecorder() { clear(); }
    void payload(PayloadRun& run) override;
    // The timing of the part scanned since the last call, which begins the next part.
    PartTiming endPart(const std::string& file);
    // The PTS of video stream 0's first presented frame in the part, once its packets have gone
    // past their first second: none before.
    std::optional<int64_t> settledReference() const;
    // Video stream 0's frame rate as its first second measures it, once that has gone by.
    std::optional<FrameRate> settledFrameRate() const;

  private:
    void clear();
    void videoTimestamps(int64_t pts, int64_t dts);
    // The smallest PTS of video stream 0 among its packets seen in its first second.
    int64_t earliestPresented() const;
    // Video stream 0's frame length in ticks from the PTS steps of its first second; 0 when it
    // showed fewer than two frames.
    double frameTicks() const;

    // The tracks whose packets carried a timestamp in the part, each with the first it carried.
    std::vector<std::pair<Track, int64_t>> firstPts_;
    std::array<bool, 3 * 256> stamped_{}; // by the track's key: in firstPts_
    std::optional<TrackId> video_;        // video stream 0, once its first packet has come
    // Video stream 0: its first packet's PTS and DTS, against which the others are taken; the
    // PTS of its packets decoded within a second of the first, less the first's; the largest
    // PTS less the first's.
    int64_t videoPts_ = NoTimestamp;
    int64_t videoDts_ = NoTimestamp;
    bool inFirstSecond_ = false;
    std::vector<int64_t> firstSecond_;
    int64_t latest_ = 0;
};

} // namespace splitwick
