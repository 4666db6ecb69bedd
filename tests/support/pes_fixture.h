#pragma once
// Hand-built PES packets for the scanner's rules, and a sink that records what it reports.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/pack_scanner.h"

namespace splitwick::testing {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The five PTS bytes of a PTS-only header ('0010' marker nibble).
inline Bytes ptsField(uint64_t pts, uint8_t marker = 0x21) {
    return {uint8_t(marker | ((pts >> 29) & 0x0E)), uint8_t(pts >> 22),
            uint8_t(((pts >> 14) & 0xFE) | 1), uint8_t(pts >> 7), uint8_t(((pts << 1) & 0xFE) | 1)};
}

// 00 00 01 id | PES_packet_length | 0x81 | flags | PES_header_data_length | header | payload.
// The length counts from behind the length field; lengthOverride writes a wrong one.
inline Bytes pes(uint8_t id, uint8_t flags, const Bytes& header, const Bytes& payload,
                 int lengthOverride = -1) {
    const size_t length =
        lengthOverride >= 0 ? size_t(lengthOverride) : 3 + header.size() + payload.size();
    Bytes packet = {0x00,
                    0x00,
                    0x01,
                    id,
                    uint8_t(length >> 8),
                    uint8_t(length),
                    0x81,
                    flags,
                    uint8_t(header.size())};
    return packet + header + payload;
}

// A packet without PES header fields (padding, navigation): 00 00 01 id | length | body.
inline Bytes rawPacket(uint8_t id, const Bytes& body) {
    Bytes packet = {0x00, 0x00, 0x01, id, uint8_t(body.size() >> 8), uint8_t(body.size())};
    return packet + body;
}

// A 14-byte MPEG-2 pack header with no stuffing.
inline Bytes packHeader() {
    return {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
}

inline constexpr size_t PackSize = 2048;

// pack header | 00 00 01 BB, length 12, rate_bound | audio_bound<<2 | video_bound | ...,
// padded to one pack.
inline Bytes systemHeaderPack(int videoBound, int audioBound) {
    Bytes pack = packHeader() + Bytes{0x00,
                                      0x00,
                                      0x01,
                                      0xBB,
                                      0x00,
                                      0x0C,
                                      0x80,
                                      0x00,
                                      0x01,
                                      uint8_t(audioBound << 2 | 0x01),
                                      uint8_t(0xE0 | videoBound),
                                      0x7F};
    pack.resize(PackSize, 0xFF);
    return pack;
}

inline Bytes paddingPack() {
    return packHeader() + rawPacket(0xBE, Bytes(PackSize - 14 - 6, 0xFF));
}

// One pack holding one video packet whose payload carries `frames` picture start codes.
inline Bytes videoPack(uint8_t id, int frames) {
    const size_t payloadSize = PackSize - packHeader().size() - 9;
    Bytes payload(payloadSize, 0x42);
    for (int f = 0; f < frames; ++f) {
        const size_t at = 16 + size_t(f) * 8;
        payload[at] = 0x00, payload[at + 1] = 0x00, payload[at + 2] = 0x01, payload[at + 3] = 0x00;
    }
    return packHeader() + pes(id, 0x00, {}, payload);
}

inline Bytes repeat(const Bytes& pack, size_t times) {
    Bytes all;
    all.reserve(pack.size() * times);
    for (size_t i = 0; i < times; ++i)
        all.insert(all.end(), pack.begin(), pack.end());
    return all;
}

// One pack holding one private-stream-1 audio packet (4-byte sub-stream header) of `fill`.
inline Bytes audioPack(uint8_t subStreamId, uint8_t fill) {
    const size_t payloadSize = PackSize - packHeader().size() - 9 - 4;
    return packHeader() +
           pes(0xBD, 0x00, {}, Bytes{subStreamId, 0x01, 0x00, 0x01} + Bytes(payloadSize, fill));
}

// One pack holding one LPCM packet: the common sub-stream header, then the three LPCM header
// bytes, whose middle one codes the sample format (quantization_word_length << 6 |
// audio_sampling_frequency << 4 | channels - 1), then samples.
inline Bytes lpcmPack(uint8_t subStreamId, uint8_t coding) {
    const size_t payloadSize = PackSize - packHeader().size() - 9 - 7;
    return packHeader() +
           pes(0xBD, 0x00, {},
               Bytes{subStreamId, 0x01, 0x00, 0x01, 0x00, coding, 0x80} + Bytes(payloadSize, 0x11));
}

// LPCM audio stream 1 (0xA1), 16-bit stereo that turns 24-bit at its third packet, then DD+
// audio stream 0 (0xC0), which comes only after the change.
inline Bytes lpcmFormatChangeFile() {
    return systemHeaderPack(0, 2) + lpcmPack(0xA1, 0x01) + lpcmPack(0xA1, 0x01) +
           lpcmPack(0xA1, 0x81) + repeat(audioPack(0xC0, 0x33), 2);
}

struct RecordedRun {
    PacketKind kind;
    Bytes bytes;
    TrackId track;
    uint32_t pts;
};

// Records runs and "found" lines.
class RecordingSink : public ScanSink {
  public:
    void payload(PayloadRun& run) override {
        runs.push_back(
            {run.kind, Bytes(run.data, run.data + run.length), run.track->id, run.pendingPts});
        if (clearPts) run.pendingPts = 0;
    }
    void trackFound(const Track& track) override { found.push_back(track.scanName() + " found!"); }
    // All payload bytes handed on for one kind, in order.
    Bytes bytesOf(PacketKind kind) const {
        Bytes all;
        for (const auto& r : runs)
            if (r.kind == kind) all = all + r.bytes;
        return all;
    }
    // All payload bytes handed on for one track, in order.
    Bytes bytesOf(TrackId track) const {
        Bytes all;
        for (const auto& r : runs)
            if (r.track == track) all = all + r.bytes;
        return all;
    }
    std::vector<RecordedRun> runs;
    std::vector<std::string> found;
    bool clearPts = true;
};

// Feeds the bytes to a fresh scanner in pieces of the given size.
struct ScanResult {
    RecordingSink sink;
    TrackList tracks;
    // The tracks met, in order.
    std::vector<TrackId> ids() const {
        std::vector<TrackId> met;
        for (const Track& track : tracks)
            met.push_back(track.id);
        return met;
    }
};

constexpr TrackId streamId(uint8_t id) {
    return {IdField::StreamId, id};
}
constexpr TrackId subStream(uint8_t id) {
    return {IdField::SubStream, id};
}
constexpr TrackId extension(uint8_t id) {
    return {IdField::Extension, id};
}

inline void scan(ScanResult& result, const Bytes& bytes, size_t piece = 32768) {
    PackScanner scanner(result.tracks, result.sink);
    for (size_t at = 0; at < bytes.size(); at += piece)
        scanner.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
}

} // namespace splitwick::testing
