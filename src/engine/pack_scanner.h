#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "stream_table.h"

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
enum class VideoCodec : uint8_t { Mpeg2, H264, Vc1 };
enum class AudioCodec : uint8_t { DD, DtsHd, DDPlus, Lpcm, Mlp };

// A stretch of one packet's payload that lies in one chunk.
struct PayloadRun {
    PacketKind kind;
    const uint8_t* data;
    size_t length;
    int videoIndex;      // 0 or 1, -1 before any video packet
    int audioIndex;      // 0 to 15, -1 before any audio sub-stream
    int subpictureIndex; // 0 to 31, -1 before any subpicture
    VideoCodec videoCodec;
    uint32_t& pendingPts; // low 32 bits of the packet's PTS, 0 for none; the writer may clear it
    // The run carries on the packet's previous run, which the end of a chunk cut off.
    bool continuesPacket;
};

// Where the scanner's findings go.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // A run of video, audio or subpicture payload, in file order.
    virtual void payload(PayloadRun& run) = 0;
    // A stream-table entry went from -1 to a stream: text is e.g. "DD+ audio stream ".
    virtual void streamFound(const char* text, int index) = 0;
};

// The byte-level state machine over an EVO's program stream. Bytes go in chunk by chunk; all
// state survives chunk boundaries, so packets may be split anywhere. It needs no
// resynchronisation: every PES start code met outside a payload or a skipped packet restarts
// the packet logic.
class PackScanner {
  public:
    PackScanner(StreamTable& table, ScanSink& sink, bool checkMode);
    void feed(const uint8_t* data, size_t n);

  private:
    // The countdowns that walk through a packet's header, in order of precedence: in damaged
    // data several may run at once, and the first one running takes the byte. HeaderData is
    // PES_header_data_length left; the timestamp and extension fields count it down too.
    enum Countdown : uint8_t {
        LengthField,
        FixedHeader,
        Pts,
        PtsAndDts,
        ExtensionFlags,
        PStd,
        Extension2,
        HeaderData,
        SubStreamHeader,
        LpcmExtra,
        MlpExtra,
        Idle = 16
    };

    size_t payloadRun(const uint8_t* data, size_t available);
    size_t skipPacket(const uint8_t* data, size_t available);
    // Shifts bytes taken as a whole (a run, a skipped stretch) into the window.
    void passOver(const uint8_t* data, size_t count);
    void startCode(uint8_t id);
    int firstRunning() const;
    size_t betweenPackets(const uint8_t* data, size_t i, size_t n);
    // The byte goes to the first running countdown.
    void step(uint8_t b, int running);
    void lengthFieldByte();
    void fixedHeaderByte(uint8_t b);
    void ptsByte(uint8_t b);
    void ptsAndDtsByte();
    void extensionFlagsByte(uint8_t b);
    void pstdByte();
    void extension2Byte(uint8_t b);
    void identifyExtendedStream(int extension);
    void headerDataByte();
    void subStreamHeaderByte(uint8_t b);
    void extraSubStreamHeaderByte(Countdown extra);
    void subpicture(uint8_t id, const char* text);
    void identifyAudio();
    void headerEnded();
    // After a timestamp field: the header ends, or a video packet's PES extension follows.
    void afterTimestamps();
    void markFound(int entry, int32_t value, const char* text, int index);
    // Consumes one byte of the PES header counted by PES_header_data_length.
    void consumeHeaderByte() {
        --remaining_;
        --countdown_[HeaderData];
    }
    uint8_t headerRemaining() const { return countdown_[HeaderData]; }

    StreamTable& table_;
    ScanSink& sink_;
    const bool checkMode_;

    uint32_t window_ = 0;
    uint8_t streamId_ = 0; // of the current packet
    PacketKind kind_ = PacketKind::None;
    VideoCodec videoCodec_ = VideoCodec::Mpeg2;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    int subpictureIndex_ = -1;
    int32_t remaining_ = 0;      // bytes of the packet after its length field not yet consumed
    int32_t skipPacket_ = 0;     // bytes of a padding, navigation or map packet still to pass
    uint8_t flags_ = 0;          // PTS_DTS_flags ... PES_extension_flag
    uint8_t extensionFlags_ = 0; // first byte of the PES extension
    uint32_t pendingPts_ = 0;
    uint32_t ptsRegister_ = 0;
    bool payload_ = false;
    bool runCutByChunk_ = false; // the last run ended with the chunk, not with its packet
    alignas(8) std::array<uint8_t, 16> countdown_{};
};

} // namespace splitwick
