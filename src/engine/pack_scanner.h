#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "scan_sink.h"

namespace splitwick {

// The byte-level state machine over an EVO's program stream. Bytes go in chunk by chunk; all
// state survives chunk boundaries, so packets may be split anywhere. It needs no
// resynchronisation: every PES start code met outside a payload or a skipped packet restarts
// the packet logic. Each stream it meets becomes a track of the list, which a later part of a
// title goes on in.
class PackScanner {
  public:
    PackScanner(TrackList& tracks, ScanSink& sink);
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
        ExtraSubStreamHeader,
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
    void ptsAndDtsByte(uint8_t b);
    // Takes byte 5 - left of a 33-bit timestamp field; gives the value after its last byte.
    int64_t timestampByte(uint8_t b, int left);
    void extensionFlagsByte(uint8_t b);
    void pstdByte();
    void extension2Byte(uint8_t b);
    void identifyExtendedStream(int extension);
    void headerDataByte();
    void subStreamHeaderByte(uint8_t b);
    void extraSubStreamHeaderByte();
    void subpicture(const StreamCodec& codec, uint8_t id);
    void identifyAudio();
    void headerEnded();
    // After a timestamp field: the header ends, or a video packet's PES extension follows.
    void afterTimestamps();
    // The packet's track, entered in the list when it is new.
    const Track* meet(IdField field, uint8_t id, const StreamCodec& codec);
    // Consumes one byte of the PES header counted by PES_header_data_length.
    void consumeHeaderByte() {
        --remaining_;
        --countdown_[HeaderData];
    }
    uint8_t headerRemaining() const { return countdown_[HeaderData]; }

    TrackList& tracks_;
    ScanSink& sink_;

    uint32_t window_ = 0;
    uint8_t streamId_ = 0; // of the current packet
    PacketKind kind_ = PacketKind::None;
    // The current packet's stream; none until its identifier is read (an extended stream's
    // comes in its PES extension, a sub-stream's behind the header).
    const Track* track_ = nullptr;
    int32_t remaining_ = 0;      // bytes of the packet after its length field not yet consumed
    int32_t skipPacket_ = 0;     // bytes of a padding, navigation or map packet still to pass
    uint8_t flags_ = 0;          // PTS_DTS_flags ... PES_extension_flag
    uint8_t extensionFlags_ = 0; // first byte of the PES extension
    uint32_t pendingPts_ = 0;
    uint64_t timestampRegister_ = 0;
    int64_t packetPts_ = NoTimestamp; // of the current packet, 33 bits
    int64_t packetDts_ = NoTimestamp;
    bool payload_ = false;
    bool runCutByChunk_ = false; // the last run ended with the chunk, not with its packet
    alignas(8) std::array<uint8_t, 16> countdown_{};
};

} // namespace splitwick
