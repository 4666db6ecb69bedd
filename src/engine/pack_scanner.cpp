#include "pack_scanner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "pack_layout.h"

namespace splitwick {

namespace {

// What a PES start code 00 00 01 xx announces, by xx. Every id not listed (the pack header
// 0xBA, the system header 0xBB, unknown streams) is no start code to the scanner: its bytes
// are scanned as if they lay between packets.
struct StartCodeAction {
    bool isStartCode = false;
    PacketKind kind = PacketKind::None;
    // Video and MPEG audio stream ids: their codec. A video stream id also gives its index.
    const StreamCodec* codec = nullptr;
};

constexpr std::array<StartCodeAction, 256> StartCodes = [] {
    std::array<StartCodeAction, 256> table{};
    for (const StreamCodec& codec : StreamCodecs) {
        if (codec.field != IdField::StreamId) continue;
        const PacketKind kind =
            codec.kind == TrackKind::Video ? PacketKind::Video : PacketKind::MpegAudio;
        for (int id = codec.scanned.first; id <= codec.scanned.last; ++id)
            table[id] = {true, kind, &codec};
    }
    // The extended stream: VC-1, its index and codec decided by the stream_id_extension.
    table[ExtendedStream] = {true, PacketKind::Video, nullptr};
    table[0xBC] = {true, PacketKind::SkipPacket, nullptr}; // program stream map
    table[PrivateStream1] = {true, PacketKind::PrivateStream1, nullptr};
    table[0xBE] = {true, PacketKind::SkipPacket, nullptr}; // padding
    table[0xBF] = {true, PacketKind::SkipPacket, nullptr}; // navigation
    return table;
}();

// The codec each value of an identifier field names, by value; nullptr for none.
using CodecsById = std::array<const StreamCodec*, 256>;

constexpr CodecsById codecsIn(IdField field) {
    CodecsById table{};
    for (const StreamCodec& codec : StreamCodecs)
        if (codec.field == field)
            for (int id = codec.scanned.first; id <= codec.scanned.last; ++id)
                table[id] = &codec;
    return table;
}

constexpr CodecsById SubStreams = codecsIn(IdField::SubStream);
constexpr CodecsById Extensions = codecsIn(IdField::Extension);

bool handedToWriter(PacketKind kind) {
    // MPEG audio payloads are parsed past and dropped: HD DVD has none, and they have no track.
    return kind == PacketKind::Video || kind == PacketKind::Audio || kind == PacketKind::Subpicture;
}

uint32_t loadBigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

} // namespace

PackScanner::PackScanner(TrackList& tracks, ScanSink& sink) : tracks_(tracks), sink_(sink) {}

void PackScanner::feed(const uint8_t* data, size_t n) {
    size_t i = 0;
    while (i < n) {
        if (payload_) {
            // A run of length 0 consumes nothing: the byte is scanned again, as no payload.
            i += payloadRun(data + i, n - i);
            continue;
        }
        if (skipPacket_ > 0) {
            i += skipPacket(data + i, n - i);
            continue;
        }
        const uint8_t b = data[i++];
        window_ = window_ << 8 | b;
        const int running = firstRunning();
        if ((window_ >> 8) == 0x000001 && StartCodes[b].isStartCode)
            startCode(b);
        else if (running == Idle)
            i = betweenPackets(data, i, n);
        else
            step(b, running);
    }
}

size_t PackScanner::betweenPackets(const uint8_t* data, size_t i, size_t n) {
    // With no packet being read, a byte can only complete a start code: a tight loop to it.
    uint32_t window = window_;
    while (i < n) {
        const uint8_t b = data[i++];
        window = window << 8 | b;
        if ((window >> 8) == 0x000001 && StartCodes[b].isStartCode) {
            window_ = window;
            startCode(b);
            return i;
        }
    }
    window_ = window;
    return i;
}

size_t PackScanner::payloadRun(const uint8_t* data, size_t available) {
    const size_t length = remaining_ > 0 ? std::min(static_cast<size_t>(remaining_), available) : 0;
    // An extended stream packet whose header named no stream has no track to go to.
    if (handedToWriter(kind_) && track_ != nullptr) {
        PayloadRun run{kind_,       data,       length,     track_,
                       pendingPts_, packetPts_, packetDts_, runCutByChunk_};
        sink_.payload(run);
    }
    // A length field smaller than the header left nothing (or less than nothing) for the
    // payload: no negative run, and the scan goes on at the next start code.
    remaining_ -= static_cast<int32_t>(length);
    if (remaining_ <= 0) payload_ = false;
    // The packet goes on in the next chunk: its next run carries on this one.
    runCutByChunk_ = payload_;
    passOver(data, length);
    return length;
}

size_t PackScanner::skipPacket(const uint8_t* data, size_t available) {
    // Padding, navigation and stream-map packets are counted down without looking for start
    // codes.
    const size_t count = std::min(static_cast<size_t>(skipPacket_), available);
    skipPacket_ -= static_cast<int32_t>(count);
    remaining_ -= static_cast<int32_t>(count);
    passOver(data, count);
    return count;
}

void PackScanner::passOver(const uint8_t* data, size_t count) {
    // The window holds the last four bytes scanned, whatever took them and however the reads
    // cut them: otherwise what follows a run would be judged by bytes that depend on where a
    // chunk ended.
    if (count >= 4) {
        window_ = loadBigEndian(data + count - 4);
        return;
    }
    for (size_t k = 0; k < count; ++k)
        window_ = window_ << 8 | data[k];
}

void PackScanner::startCode(uint8_t id) {
    const StartCodeAction& action = StartCodes[id];
    // A new packet abandons whatever header was being read: a damaged one cut short must not
    // count on into this one.
    countdown_.fill(0);
    countdown_[LengthField] = 2;
    streamId_ = id;
    kind_ = action.kind;
    // A .pts side file gets only a subpicture packet's own PTS: nothing stays pending from an
    // earlier packet.
    pendingPts_ = 0;
    packetPts_ = packetDts_ = NoTimestamp;
    track_ = nullptr;
    // The extended stream's track is named by its stream_id_extension, further on.
    if (action.kind == PacketKind::Video && action.codec != nullptr)
        track_ = meet(IdField::StreamId, id, *action.codec);
}

int PackScanner::firstRunning() const {
    // The first non-zero countdown, looked for eight at a time.
    static_assert(std::endian::native == std::endian::little);
    uint64_t low, high;
    std::memcpy(&low, countdown_.data(), 8);
    std::memcpy(&high, countdown_.data() + 8, 8);
    if (low != 0) return std::countr_zero(low) / 8;
    if (high != 0) return 8 + std::countr_zero(high) / 8;
    return Idle;
}

void PackScanner::step(uint8_t b, int running) {
    switch (running) {
    case LengthField:
        lengthFieldByte();
        break;
    case FixedHeader:
        fixedHeaderByte(b);
        break;
    case Pts:
        ptsByte(b);
        break;
    case PtsAndDts:
        ptsAndDtsByte(b);
        break;
    case ExtensionFlags:
        extensionFlagsByte(b);
        break;
    case PStd:
        pstdByte();
        break;
    case Extension2:
        extension2Byte(b);
        break;
    case HeaderData:
        headerDataByte();
        break;
    case SubStreamHeader:
        subStreamHeaderByte(b);
        break;
    case ExtraSubStreamHeader:
        extraSubStreamHeaderByte();
        break;
    }
}

void PackScanner::lengthFieldByte() {
    // PES_packet_length, high byte first.
    if (--countdown_[LengthField] > 0) return;
    remaining_ = static_cast<int32_t>(window_ & 0xFFFF);
    if (kind_ == PacketKind::SkipPacket)
        skipPacket_ = remaining_;
    else
        countdown_[FixedHeader] = 3;
}

void PackScanner::fixedHeaderByte(uint8_t b) {
    // '10' marker byte, then the flags byte, then PES_header_data_length.
    --remaining_;
    const uint8_t left = --countdown_[FixedHeader];
    if (left == 1) flags_ = b;
    if (left != 0) return;
    countdown_[HeaderData] = b;
    if ((flags_ & 0xC0) == 0x80)
        countdown_[Pts] = 5;
    else if ((flags_ & 0xC0) == 0xC0)
        countdown_[PtsAndDts] = 10;
    else if ((flags_ & 0xC1) == 0x01)
        countdown_[ExtensionFlags] = 1;
    if (headerRemaining() == 0) headerEnded();
}

void PackScanner::ptsByte(uint8_t b) {
    consumeHeaderByte();
    const int left = --countdown_[Pts];
    const int64_t pts = timestampByte(b, left);
    if (left > 0) return;
    // The .pts side files keep the low 32 bits, PTS[32] dropped.
    pendingPts_ = uint32_t(pts);
    packetPts_ = packetDts_ = pts;
    afterTimestamps();
}

void PackScanner::ptsAndDtsByte(uint8_t b) {
    // The PTS, then the DTS; the pending PTS stays as it was.
    consumeHeaderByte();
    const int left = --countdown_[PtsAndDts];
    const int64_t timestamp = timestampByte(b, left % 5);
    if (left == 5) packetPts_ = timestamp;
    if (left > 0) return;
    packetDts_ = timestamp;
    afterTimestamps();
}

int64_t PackScanner::timestampByte(uint8_t b, int left) {
    // '001x' or '0011'/'0001', PTS[32..30], marker; PTS[29..15], marker; PTS[14..0], marker.
    switch (left) {
    case 4:
        timestampRegister_ = uint64_t(b & 0x0E) << 29;
        break;
    case 3:
        timestampRegister_ |= uint64_t(b) << 22;
        break;
    case 2:
        timestampRegister_ |= uint64_t(b & 0xFE) << 14;
        break;
    case 1:
        timestampRegister_ |= uint64_t(b) << 7;
        break;
    case 0:
        timestampRegister_ |= uint64_t(b & 0xFE) >> 1;
        break;
    }
    return int64_t(timestampRegister_);
}

void PackScanner::afterTimestamps() {
    if (headerRemaining() == 0)
        headerEnded();
    else if (kind_ == PacketKind::Video && (flags_ & 0x01))
        countdown_[ExtensionFlags] = 1;
}

void PackScanner::extensionFlagsByte(uint8_t b) {
    consumeHeaderByte();
    --countdown_[ExtensionFlags];
    extensionFlags_ = b;
    if (b & 0x10) // P-STD_buffer_flag
        countdown_[PStd] = 2;
    else if (b & 0x01) // PES_extension_flag_2
        countdown_[Extension2] = 2;
    else if (headerRemaining() == 0)
        headerEnded(); // a private-stream-1 packet goes on with its sub-stream header
}

void PackScanner::pstdByte() {
    // P-STD_buffer_scale and P-STD_buffer_size.
    consumeHeaderByte();
    if (--countdown_[PStd] > 0) return;
    if (extensionFlags_ & 0x01)
        countdown_[Extension2] = 2;
    else if (headerRemaining() == 0)
        headerEnded();
}

void PackScanner::extension2Byte(uint8_t b) {
    // PES_extension_field_length, then stream_id_extension, which names the stream of an
    // extended stream packet only; in any other packet the header just goes on.
    consumeHeaderByte();
    if (--countdown_[Extension2] > 0) return;
    if (streamId_ == ExtendedStream) identifyExtendedStream(b & 0x7F);
    if (headerRemaining() == 0) headerEnded();
}

void PackScanner::identifyExtendedStream(int extension) {
    const StreamCodec* codec = Extensions[extension];
    if (codec == nullptr) {
        kind_ = PacketKind::SkipPayload;
        return;
    }
    track_ = meet(IdField::Extension, uint8_t(extension), *codec);
    kind_ = PacketKind::Video;
}

void PackScanner::headerDataByte() {
    // Header bytes not parsed above, such as stuffing.
    --remaining_;
    if (--countdown_[HeaderData] == 0) headerEnded();
}

void PackScanner::subStreamHeaderByte(uint8_t b) {
    --remaining_;
    const uint8_t left = --countdown_[SubStreamHeader];
    if (left == 3) {
        // The sub-stream id. Subpicture payloads begin right behind it.
        const StreamCodec* codec = SubStreams[b];
        if (codec != nullptr && codec->kind == TrackKind::Subpicture) subpicture(*codec, b);
    } else if (left == 0) {
        identifyAudio();
    }
}

void PackScanner::extraSubStreamHeaderByte() {
    // LPCM and MLP sub-stream headers run on behind the common four bytes.
    --remaining_;
    if (--countdown_[ExtraSubStreamHeader] > 0) return;
    // The window's low three bytes are the LPCM header: they give the packet's sample format.
    if (track_->codec == &LpcmCodec)
        sink_.lpcmHeader(*track_,
                         {uint8_t(window_ >> 16), uint8_t(window_ >> 8), uint8_t(window_)});
    kind_ = PacketKind::Audio;
    payload_ = true;
}

void PackScanner::subpicture(const StreamCodec& codec, uint8_t id) {
    track_ = meet(IdField::SubStream, id, codec);
    countdown_[SubStreamHeader] = 0;
    kind_ = PacketKind::Subpicture;
    payload_ = true;
}

void PackScanner::identifyAudio() {
    // The window holds the sub-stream id and the three bytes behind it.
    const uint8_t id = static_cast<uint8_t>(window_ >> 24);
    pendingPts_ = 0;
    const StreamCodec* codec = SubStreams[id];
    // An id that matches no codec is skipped, without guessing.
    if (codec == nullptr || codec->kind != TrackKind::Audio) {
        kind_ = PacketKind::SkipPayload;
        payload_ = true;
        return;
    }
    track_ = meet(IdField::SubStream, id, *codec);
    if (codec->extraHeaderBytes > 0) {
        countdown_[ExtraSubStreamHeader] = codec->extraHeaderBytes;
        return;
    }
    kind_ = PacketKind::Audio;
    payload_ = true;
}

void PackScanner::headerEnded() {
    if (kind_ == PacketKind::PrivateStream1)
        countdown_[SubStreamHeader] = 4;
    else
        payload_ = true;
}

const Track* PackScanner::meet(IdField field, uint8_t id, const StreamCodec& codec) {
    const auto [track, isNew] = tracks_.meet({field, id}, codec);
    if (isNew) sink_.trackFound(*track);
    return track;
}

} // namespace splitwick
