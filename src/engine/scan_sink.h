#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "boxes.h"
#include "lpcm_format.h"
#include "stream_codecs.h"

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
    PacketKind kind;
    const uint8_t* data;
    size_t length;
    int videoIndex;      // 0 or 1, -1 before any video packet
    int audioIndex;      // 0 to 15, -1 before any audio sub-stream
    int subpictureIndex; // 0 to 31, -1 before any subpicture
    VideoCodec videoCodec;
    const StreamCodec* audioCodec; // of the audio index's sub-stream, nullptr before any
    uint32_t& pendingPts; // low 32 bits of the packet's PTS, 0 for none; the writer may clear it
    // The packet's own PTS and DTS, all 33 bits, on each of its runs; the DTS is the PTS where
    // the header gives only that.
    int64_t pts;
    int64_t dts;
    // The run carries on the packet's previous run, which the end of a chunk cut off.
    bool continuesPacket;
};

// The box whose stream a payload run belongs to; its index is -1 before any stream of its kind.
inline Box payloadBox(const PayloadRun& run) {
    if (run.kind == PacketKind::Subpicture) return {BoxKind::Subpicture, run.subpictureIndex};
    if (run.kind == PacketKind::Video) return {BoxKind::Video, run.videoIndex};
    return {BoxKind::Audio, run.audioIndex};
}

// Where a scan's findings go. Each side of a job's scan is a sink of its own, which takes the
// findings it is about: the streams found, the payloads written, the frames counted. ScanSinks
// hands each finding to all of them.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // A run of video, audio or subpicture payload, in file order.
    virtual void payload(PayloadRun&) {}
    // The three header bytes of an LPCM packet of this audio index, before its first run.
    virtual void lpcmHeader(int /*audioIndex*/, const LpcmHeader&) {}
    // A stream-table entry went from -1 to a stream of this codec and index.
    virtual void streamFound(const StreamCodec&, int /*index*/) {}
    // An audio sub-stream whose index the table gives another one: its payload is passed over.
    // Once per identifier and scan.
    virtual void streamLeftOut(const StreamCodec&, int /*id*/, const StreamCodec& /*kept*/,
                               int /*keptId*/) {}
    // The file's first pack header is followed by a system header with these bounds.
    virtual void systemHeader(int /*videoBound*/, int /*audioBound*/) {}
    // A 2048-byte pack was scanned; scrambled: its media packet is marked encrypted.
    virtual void packScanned(bool /*scrambled*/) {}
};

// Hands each finding of a scan to each of its sinks in turn.
class ScanSinks : public ScanSink {
  public:
    ScanSinks(std::initializer_list<ScanSink*> sinks) : sinks_(sinks) {}
    void payload(PayloadRun& run) override {
        for (ScanSink* sink : sinks_)
            sink->payload(run);
    }
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override {
        for (ScanSink* sink : sinks_)
            sink->lpcmHeader(audioIndex, header);
    }
    void streamFound(const StreamCodec& codec, int index) override {
        for (ScanSink* sink : sinks_)
            sink->streamFound(codec, index);
    }
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override {
        for (ScanSink* sink : sinks_)
            sink->streamLeftOut(codec, id, kept, keptId);
    }
    void systemHeader(int videoBound, int audioBound) override {
        for (ScanSink* sink : sinks_)
            sink->systemHeader(videoBound, audioBound);
    }
    void packScanned(bool scrambled) override {
        for (ScanSink* sink : sinks_)
            sink->packScanned(scrambled);
    }

  private:
    std::vector<ScanSink*> sinks_;
};

} // namespace splitwick
