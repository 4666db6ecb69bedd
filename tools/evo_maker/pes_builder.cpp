#include "pes_builder.h"

#include <stdexcept>

namespace splitwick::maker {

namespace {

constexpr uint8_t PtsOnlyPrefix = 0x2; // '0010'
constexpr uint8_t PtsWithDtsPrefix = 0x3;
constexpr uint8_t DtsPrefix = 0x1;
constexpr size_t PciPacketSize = 986;

// A 33-bit timestamp in five bytes, with its marker bits: prefix PTS[32..30] 1, PTS[29..22],
// PTS[21..15] 1, PTS[14..7], PTS[6..0] 1.
void appendTimestamp(Bytes& out, uint8_t prefix, uint64_t t) {
    out.push_back(uint8_t(prefix << 4 | (t >> 29 & 0x0E) | 1));
    out.push_back(uint8_t(t >> 22));
    out.push_back(uint8_t((t >> 14 & 0xFE) | 1));
    out.push_back(uint8_t(t >> 7));
    out.push_back(uint8_t((t << 1 & 0xFE) | 1));
}

void appendStartCode(Bytes& out, uint8_t id) {
    out.insert(out.end(), {0x00, 0x00, 0x01, id});
}

void appendLength(Bytes& out, size_t length) {
    out.push_back(uint8_t(length >> 8));
    out.push_back(uint8_t(length));
}

bool isVideoStream(uint8_t streamId) {
    return (streamId & 0xF0) == 0xE0 || streamId == ExtendedStream;
}

size_t extensionLength(const PesHeader& h) {
    if (!h.pstd && !h.streamIdExtension) return 0;
    return 1 + (h.pstd ? 2 : 0) + (h.streamIdExtension ? 2 : 0);
}

} // namespace

size_t headerDataLength(const PesHeader& h) {
    const size_t timestamps = h.pts ? (h.dts ? 10 : 5) : 0;
    return timestamps + extensionLength(h) + h.stuffing;
}

size_t pesHeaderSize(const PesHeader& h) {
    return PesStartSize + PesFixedHeaderSize + headerDataLength(h);
}

void appendPackHeader(Bytes& out, uint64_t scr, uint32_t muxRate) {
    appendStartCode(out, 0xBA);
    // '01' SCR_base[32..30] 1 SCR_base[29..15] 1 SCR_base[14..0] 1 SCR_extension(9) 1
    out.push_back(uint8_t(0x44 | (scr >> 27 & 0x38) | (scr >> 28 & 0x03)));
    out.push_back(uint8_t(scr >> 20));
    out.push_back(uint8_t((scr >> 12 & 0xF8) | 0x04 | (scr >> 13 & 0x03)));
    out.push_back(uint8_t(scr >> 5));
    out.push_back(uint8_t((scr << 3 & 0xF8) | 0x04));
    out.push_back(0x01);
    // program_mux_rate(22) '11'
    out.push_back(uint8_t(muxRate >> 14));
    out.push_back(uint8_t(muxRate >> 6));
    out.push_back(uint8_t(muxRate << 2 | 0x03));
    out.push_back(0xF8); // reserved, pack_stuffing_length 0
}

void appendSystemHeader(Bytes& out, int videoBound, int audioBound) {
    static constexpr uint8_t Entries[][3] = {
        {0xB9, 0xE0, 0xE8}, // all video streams
        {0xB8, 0xC0, 0x20}, // all audio streams
        {PrivateStream1, 0xE0, 0x3A},
        {NavigationStream, 0xE0, 0x02},
    };
    appendStartCode(out, 0xBB);
    appendLength(out, 6 + sizeof Entries);
    const uint32_t rateBound = DefaultMuxRate;
    out.push_back(uint8_t(0x80 | rateBound >> 15));
    out.push_back(uint8_t(rateBound >> 7));
    out.push_back(uint8_t(rateBound << 1 | 0x01));
    out.push_back(uint8_t((audioBound & 0x3F) << 2));   // audio_bound, fixed_flag, CSPS_flag
    out.push_back(uint8_t(0xE0 | (videoBound & 0x1F))); // audio/video lock, marker, video_bound
    out.push_back(0x7F);                                // packet_rate_restriction_flag, reserved
    for (const auto& entry : Entries)
        out.insert(out.end(), entry, entry + 3);
}

void appendPesHeader(Bytes& out, uint8_t streamId, const PesHeader& h, size_t bodyLength) {
    const size_t dataLength = headerDataLength(h);
    if (dataLength > 255) throw std::invalid_argument("PES header data longer than 255 bytes");
    const size_t length = PesFixedHeaderSize + dataLength + bodyLength;
    if (length > 0xFFFF) throw std::invalid_argument("PES packet longer than 65535 bytes");
    appendStartCode(out, streamId);
    appendLength(out, h.packetLength ? *h.packetLength : length);
    out.push_back(0x81); // '10', not scrambled, original_or_copy
    const uint8_t ptsDtsFlags = h.pts ? (h.dts ? 0xC0 : 0x80) : 0x00;
    out.push_back(uint8_t(ptsDtsFlags | (extensionLength(h) > 0 ? 0x01 : 0x00)));
    out.push_back(uint8_t(dataLength));
    if (h.pts) appendTimestamp(out, h.dts ? PtsWithDtsPrefix : PtsOnlyPrefix, *h.pts);
    if (h.pts && h.dts) appendTimestamp(out, DtsPrefix, *h.dts);
    if (extensionLength(h) > 0) {
        // PES_private_data, pack_header_field and sequence counter flags 0, reserved '111'.
        out.push_back(uint8_t((h.pstd ? 0x10 : 0) | 0x0E | (h.streamIdExtension ? 0x01 : 0)));
        if (h.pstd) {
            // '01' P-STD_buffer_scale P-STD_buffer_size: 232 KiB for video, 4 KiB otherwise.
            if (isVideoStream(streamId))
                out.insert(out.end(), {0x60, 0xE8});
            else
                out.insert(out.end(), {0x40, 0x20});
        }
        if (h.streamIdExtension) {
            out.push_back(0x81); // marker, PES_extension_field_length 1
            out.push_back(uint8_t(*h.streamIdExtension & 0x7F));
        }
    }
    out.insert(out.end(), h.stuffing, 0xFF);
}

void appendPaddingPacket(Bytes& out, size_t totalBytes, uint8_t fill) {
    if (totalBytes < MinPaddingPacket) throw std::invalid_argument("padding packet too short");
    appendStartCode(out, PaddingStream);
    appendLength(out, totalBytes - PesStartSize);
    out.insert(out.end(), totalBytes - PesStartSize, fill);
}

void appendNavigationPacket(Bytes& out, size_t totalBytes, uint8_t subStreamId) {
    if (totalBytes < PesStartSize + 1) throw std::invalid_argument("navigation packet too short");
    appendStartCode(out, NavigationStream);
    appendLength(out, totalBytes - PesStartSize);
    out.push_back(subStreamId);
    out.insert(out.end(), totalBytes - PesStartSize - 1, 0x00);
}

Bytes pesPacket(uint8_t streamId, const PesHeader& header, const Bytes& body) {
    Bytes out;
    appendPesHeader(out, streamId, header, body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

size_t subStreamHeaderSize(uint8_t id) {
    if ((id & 0xE0) == 0x20) return 1; // subpicture 0x20-0x3F
    if ((id & 0xE0) == 0x60) return 1; // extended subpicture 0x60-0x7F
    if ((id & 0xF8) == 0xA0) return 7; // LPCM 0xA0-0xA7
    if ((id & 0xF8) == 0xB0) return 5; // MLP 0xB0-0xB7
    return 4;
}

Bytes subStreamHeader(uint8_t id) {
    return subStreamHeader(id, AudioUnits{});
}

uint8_t lpcmCoding(const LpcmFormat& format) {
    // Bits 7-6: 16, 20 or 24 bits; bits 5-4: 48 or 96 kHz; bits 2-0: channels less one.
    return uint8_t((format.bitsPerSample - 16) / 4 << 6 | (format.sampleRate == 96000) << 4 |
                   (format.channels - 1));
}

uint16_t firstAccessUnitPointer(uint8_t id, size_t payloadOffset) {
    return uint16_t(payloadOffset + subStreamHeaderSize(id) - 3);
}

Bytes subStreamHeader(uint8_t id, const AudioUnits& units) {
    const uint16_t pointer = units.firstPointer;
    // The sub-stream id, number_of_frame_headers, first_access_unit_pointer; LPCM goes on with
    // emphasis/mute/frame number 0, the sample format and dynamic range 0x80; MLP with one
    // more byte.
    const uint8_t lpcm[] = {
        id, units.count, uint8_t(pointer >> 8), uint8_t(pointer), 0x00, units.lpcmCoding, 0x80};
    const uint8_t mlp[] = {id, units.count, uint8_t(pointer >> 8), uint8_t(pointer), 0x80};
    const size_t size = subStreamHeaderSize(id);
    const uint8_t* bytes = size == sizeof mlp ? mlp : lpcm;
    return Bytes(bytes, bytes + size);
}

void fillWithNavigation(Bytes& pack) {
    // Presentation control (PCI) and data search (DSI) information, as zeros.
    const size_t room = PackSize - pack.size();
    if (room >= PciPacketSize + PesStartSize + 1) {
        appendNavigationPacket(pack, PciPacketSize, 0x00);
        appendNavigationPacket(pack, room - PciPacketSize, 0x01);
    } else {
        appendNavigationPacket(pack, room, 0x01);
    }
}

Bytes pack(uint64_t scr, const std::vector<Bytes>& pieces) {
    Bytes out;
    out.reserve(PackSize);
    appendPackHeader(out, scr);
    for (const Bytes& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    if (out.size() > PackSize) throw std::invalid_argument("pieces overflow the pack");
    if (out.size() < PackSize) appendPaddingPacket(out, PackSize - out.size());
    return out;
}

} // namespace splitwick::maker
