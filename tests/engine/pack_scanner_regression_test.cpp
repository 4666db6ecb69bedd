// Scanner faults found by the end-to-end tests, one test each, on packets of the maker's low
// level.
#include <gtest/gtest.h>

#include "engine/pack_scanner.h"
#include "evo_maker/pes_builder.h"
#include "support/pes_fixture.h"

namespace splitwick {
namespace {

using maker::Bytes;
using testing::operator+;
using testing::pes;
using testing::ptsField;
using testing::scan;
using testing::ScanResult;
using testing::streamId;
using testing::subStream;

const Bytes Payload = {0x11, 0x22, 0x33, 0x44, 0x55};

// Keeps the audio payload runs and the found lines.
struct AudioSink : ScanSink {
    void payload(PayloadRun& run) override {
        if (run.kind == PacketKind::Audio)
            audio.insert(audio.end(), run.data, run.data + run.length);
    }
    void trackFound(const Track& track) override { found.push_back(track.scanName()); }
    Bytes audio;
    std::vector<std::string> found;
};

TEST(PackScannerRegression, PrivateStreamPacketWithExtensionButNoPtsKeepsItsPayload) {
    // 00 00 01 BD len | 81 01 03 | 1E 40 20 | C0 01 00 01 | 11 22 33
    // No timestamp; the header data is a PES extension with P-STD fields only. The sub-stream
    // header follows it, as it follows any other header.
    const Bytes payload = {0x11, 0x22, 0x33};
    Bytes body = maker::subStreamHeader(0xC0);
    body.insert(body.end(), payload.begin(), payload.end());
    maker::PesHeader header;
    header.pstd = true;
    const Bytes pack = maker::pack(0, {maker::pesPacket(maker::PrivateStream1, header, body)});

    TrackList tracks;
    AudioSink sink;
    PackScanner scanner(tracks, sink);
    scanner.feed(pack.data(), pack.size());

    EXPECT_EQ(sink.audio, payload);
    EXPECT_NE(tracks.find(subStream(0xC0)), nullptr);
    EXPECT_EQ(sink.found, std::vector<std::string>{"DD+ audio stream 0"});
}

// 00 00 01 E0 | len | 81 00 02 | 00 00 | 01 42 42, then E3 00 00: the header's last two bytes
// and the payload's first byte look like a start code prefix, and the byte behind the packet
// like an H.264 stream_id.
TEST(PackScannerRegression, HeaderBytesAndAPayloadsFirstByteMakeNoStartCode) {
    const Bytes bytes = pes(0xE0, 0x00, {0x00, 0x00}, {0x01, 0x42, 0x42}) + Bytes{0xE3, 0x00, 0x00};
    for (size_t piece : {size_t(32768), size_t(16), size_t(1)}) {
        SCOPED_TRACE(piece);
        ScanResult r;
        scan(r, bytes, piece);
        EXPECT_EQ(r.sink.found, std::vector<std::string>{"MPEG-2 video stream 0 found!"});
        EXPECT_EQ(r.ids(), std::vector<TrackId>{streamId(0xE0)});
    }
}

// 00 00 01 E0 | len | 81 80 05 | the first of the five PTS bytes, then the file goes on with a
// whole DD packet without timestamps, whose start code comes while the PTS is still being read.
TEST(PackScannerRegression, StartCodeInsideAPacketHeaderAbandonsThatHeader) {
    const Bytes damaged = {0x00, 0x00, 0x01, 0xE0, 0x00, 0x20, 0x81, 0x80, 0x05, 0x21};
    const Bytes audio = pes(0xBD, 0x00, {}, Bytes{0x80, 0x01, 0x00, 0x01} + Payload);
    ScanResult r;
    scan(r, damaged + audio);
    EXPECT_EQ(r.sink.found, (std::vector<std::string>{"MPEG-2 video stream 0 found!",
                                                      "DD audio stream 0 found!"}));
    EXPECT_EQ(r.sink.bytesOf(PacketKind::Audio), Payload);
}

// 00 00 01 BD | len | 81 01 04 | 01 (PES_extension_flag_2) 81 xx FF | 80 01 00 01 | payload:
// a private stream 1 packet whose PES extension carries a second extension field.
TEST(PackScannerRegression, PrivateStreamPacketWithExtension2KeepsItsPayload) {
    for (uint8_t extension : {0x55, 0x71}) {
        SCOPED_TRACE(int(extension));
        ScanResult r;
        scan(r, pes(0xBD, 0x01, {0x01, 0x81, extension, 0xFF},
                    Bytes{0x80, 0x01, 0x00, 0x01} + Payload));
        EXPECT_EQ(r.sink.found, std::vector<std::string>{"DD audio stream 0 found!"});
        EXPECT_EQ(r.ids(), std::vector<TrackId>{subStream(0x80)});
        EXPECT_EQ(r.sink.bytesOf(PacketKind::Audio), Payload);
    }
}

// The same for an MPEG-2 video packet: the stream_id_extension belongs to extended stream 0xFD
// packets only.
TEST(PackScannerRegression, VideoPacketWithExtension2KeepsItsPayload) {
    ScanResult r;
    scan(r, pes(0xE0, 0x81, ptsField(9000) + Bytes{0x01, 0x81, 0x71}, Payload));
    EXPECT_EQ(r.sink.bytesOf(PacketKind::Video), Payload);
}

} // namespace
} // namespace splitwick
