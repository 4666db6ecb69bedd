#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "lpcm_format.h"
#include "stop_reason.h"
#include "track.h"

namespace splitwick {

enum class PacketKind : uint8_t {
    None,
    Video,
    Audio,
    SkipPayload,
    SkipPacket,
    MpegAudio,
    PrivateStream1,
    Subpicture
};

// A packet header without a PTS (or DTS) gives this in its place.
constexpr int64_t NoTimestamp = -1;

// A stretch of one packet's payload that lies in one chunk.
struct PayloadRun {
    PacketKind kind; // Video, Audio or Subpicture
    const uint8_t* data;
    size_t length;
    const Track* track;   // the stream's, as the scan's list holds it
    uint32_t& pendingPts; // low 32 bits of the packet's PTS, 0 for none; the writer may clear it
    // The packet's own PTS and DTS, all 33 bits, on each of its runs; the DTS is the PTS where
    // the header gives only that.
    int64_t pts;
    int64_t dts;
    // The run carries on the packet's previous run, which the end of a chunk cut off.
    bool continuesPacket;
};

// Where a scan's findings go. Each side of a job's scan is a sink of its own, which takes the
// findings it is about: the streams found, the payloads written, the frames counted. ScanSinks
// hands each finding to all of them.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // A run of video, audio or subpicture payload, in file order.
    virtual void payload(PayloadRun&) {}
    // The three header bytes of an LPCM packet of this track, before its first run.
    virtual void lpcmHeader(const Track&, const LpcmHeader&) {}
    // The scan met a track for the first time.
    virtual void trackFound(const Track&) {}
    // The file's first pack header is followed by a system header with these bounds.
    virtual void systemHeader(int /*videoBound*/, int /*audioBound*/) {}
    // A 2048-byte pack was scanned; scrambled: its media packet is marked encrypted.
    virtual void packScanned(bool /*scrambled*/) {}
    // The scan has handed on the findings of its last chunk and ends for this reason; what a
    // sink left for later is to be done (or, for a stop, dropped) now, before the pass ends.
    virtual void scanEnded(StopReason) {}
};

// Hands each finding of a scan to each of its sinks in turn.
class ScanSinks : public ScanSink {
  public:
    ScanSinks(std::initializer_list<ScanSink*> sinks) : sinks_(sinks) {}
    void payload(PayloadRun& run) override {
        for (ScanSink* sink : sinks_)
            sink->payload(run);
    }
    void lpcmHeader(const Track& track, const LpcmHeader& header) override {
        for (ScanSink* sink : sinks_)
            sink->lpcmHeader(track, header);
    }
    void trackFound(const Track& track) override {
        for (ScanSink* sink : sinks_)
            sink->trackFound(track);
    }
    void systemHeader(int videoBound, int audioBound) override {
        for (ScanSink* sink : sinks_)
            sink->systemHeader(videoBound, audioBound);
    }
    void packScanned(bool scrambled) override {
        for (ScanSink* sink : sinks_)
            sink->packScanned(scrambled);
    }
    void scanEnded(StopReason reason) override {
        for (ScanSink* sink : sinks_)
            sink->scanEnded(reason);
    }

  private:
    std::vector<ScanSink*> sinks_;
};

} // namespace splitwick
