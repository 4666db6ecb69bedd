#include <gtest/gtest.h>

#include "support/pes_fixture.h"

namespace splitwick::testing {
namespace {

const Bytes Payload = {0x11, 0x22, 0x33, 0x44, 0x55};

// 00 00 01 E1 01 02: a start-code pattern with a made-up length behind it.
const Bytes FakeStartCode = {0x00, 0x00, 0x01, 0xE1, 0x01, 0x02};

Bytes mpeg2Video(uint8_t id, const Bytes& payload) {
    return pes(id, 0x00, {}, payload);
}

// Private stream 1: the sub-stream id and header bytes come first in the payload.
Bytes privateStream1(const Bytes& subStreamHeader, const Bytes& payload) {
    return pes(0xBD, 0x00, {}, subStreamHeader + payload);
}

TEST(StartCodes, PatternsInsidePayloadsAndSkippedPacketsAreNotStartCodes) {
    for (uint8_t skipped : {0xBC, 0xBE, 0xBF}) {
        ScanResult r;
        scan(r, packHeader() + mpeg2Video(0xE0, FakeStartCode) + rawPacket(skipped, FakeStartCode) +
                    mpeg2Video(0xE0, Payload));
        EXPECT_EQ(r.sink.found, std::vector<std::string>{"MPEG-2 video stream 0 found!"});
        EXPECT_EQ(r.ids(), std::vector<TrackId>{streamId(0xE0)});
        EXPECT_EQ(r.sink.bytesOf(PacketKind::Video), FakeStartCode + Payload);
    }
}

TEST(StartCodes, UnknownStreamIdIsScannedAsIfBetweenPackets) {
    // A packet of stream 0xE4 is not skipped by its length: the DD packet inside it is found.
    const Bytes inner = privateStream1({0x80, 0x01, 0x00, 0x01}, Payload);
    ScanResult r;
    scan(r, rawPacket(0xE4, inner));
    EXPECT_EQ(r.sink.found, std::vector<std::string>{"DD audio stream 0 found!"});
    EXPECT_EQ(r.sink.bytesOf(PacketKind::Audio), Payload);
}

// MPEG-2 0xE0 and H.264 0xE2 are both video stream 0, and each a track of its own.
TEST(StartCodes, EveryStreamIdIsATrackOfItsOwn) {
    ScanResult r;
    scan(r, mpeg2Video(0xE0, Payload) + pes(0xE2, 0x00, {}, Payload) + mpeg2Video(0xE1, Payload));
    EXPECT_EQ(r.ids(), (std::vector<TrackId>{streamId(0xE0), streamId(0xE2), streamId(0xE1)}));
    EXPECT_EQ(r.sink.found, (std::vector<std::string>{"MPEG-2 video stream 0 found!",
                                                      "H.264 video stream 0 found!",
                                                      "MPEG-2 video stream 1 found!"}));
    ASSERT_EQ(r.sink.runs.size(), 3u);
    EXPECT_EQ(r.sink.runs[1].track, streamId(0xE2));
}

TEST(StartCodes, MpegAudioPacketsArePassedOver) {
    ScanResult r;
    scan(r, privateStream1({0x80, 1, 0, 1}, Payload) + pes(0xC0, 0x00, {}, Payload));
    ASSERT_EQ(r.sink.runs.size(), 1u);
    EXPECT_EQ(r.sink.runs[0].kind, PacketKind::Audio);
}

struct SubStreamCase {
    Bytes header; // sub-stream id and the header bytes behind it
    PacketKind kind;
    const char* found;
};

TEST(SubStreams, EachCodecsHeaderIsCutOffAndItsStreamFound) {
    const std::vector<SubStreamCase> cases = {
        {{0x80, 9, 9, 9}, PacketKind::Audio, "DD audio stream 0 found!"},
        {{0x8B, 9, 9, 9}, PacketKind::Audio, "DTS HD audio stream 3 found!"},
        {{0xC8, 9, 9, 9}, PacketKind::Audio, "DD+ audio stream 8 found!"},
        {{0xCF, 9, 9, 9}, PacketKind::Audio, "DD+ audio stream 15 found!"},
        {{0xA2, 9, 9, 9, 9, 9, 9}, PacketKind::Audio, "LPCM audio stream 2 found!"},
        {{0xB3, 9, 9, 9, 9}, PacketKind::Audio, "MLP audio stream 3 found!"},
        {{0x25}, PacketKind::Subpicture, "Subpicture stream 5 found!"},
        {{0x65}, PacketKind::Subpicture, "Extended subpicture stream 5 found!"},
        {{0x35}, PacketKind::Subpicture, "Subpicture stream 21 found!"},
        {{0x3F}, PacketKind::Subpicture, "Subpicture stream 31 found!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found);
        ScanResult r;
        scan(r, privateStream1(c.header, Payload));
        EXPECT_EQ(r.sink.found, std::vector<std::string>{c.found});
        EXPECT_EQ(r.ids(), std::vector<TrackId>{subStream(c.header[0])});
        EXPECT_EQ(r.sink.bytesOf(c.kind), Payload);
    }
}

// DTS-HD 0x89 and DD 0x81 are both audio stream 1: each is a track of its own, whose runs
// keep to it.
TEST(SubStreams, TwoSubStreamsOfOneNumberAreTwoTracks) {
    ScanResult r;
    scan(r, privateStream1({0x89, 1, 0, 1}, {1}) + privateStream1({0x81, 1, 0, 1}, {2}) +
                privateStream1({0x81, 1, 0, 1}, {3}) + privateStream1({0x89, 1, 0, 1}, {4}));
    EXPECT_EQ(r.sink.found, (std::vector<std::string>{"DTS HD audio stream 1 found!",
                                                      "DD audio stream 1 found!"}));
    EXPECT_EQ(r.ids(), (std::vector<TrackId>{subStream(0x89), subStream(0x81)}));
    EXPECT_EQ(r.sink.bytesOf(subStream(0x89)), (Bytes{1, 4}));
    EXPECT_EQ(r.sink.bytesOf(subStream(0x81)), (Bytes{2, 3}));
}

TEST(SubStreams, UnknownSubStreamIdsAreSkippedWithoutGuessing) {
    // 0x05 at the start of a scan, 0xB8 after MLP, 0xA9 after LPCM, 0x50 anywhere.
    ScanResult r;
    scan(r, privateStream1({0x05, 1, 0, 1}, Payload) + privateStream1({0xB1, 1, 0, 1, 0}, {7}) +
                privateStream1({0xB8, 1, 0, 1}, Payload) +
                privateStream1({0xA2, 1, 0, 1, 0, 0, 0}, {8}) +
                privateStream1({0xA9, 1, 0, 1}, Payload) + privateStream1({0x50}, Payload));
    EXPECT_EQ(r.sink.bytesOf(PacketKind::Audio), (Bytes{7, 8}));
    EXPECT_EQ(r.sink.runs.size(), 2u);
}

// VC-1: PTS, then the PES extension: flags byte, [P-STD], field length, stream_id_extension.
Bytes vc1(uint8_t extension, bool pstd, const Bytes& stuffing, const Bytes& payload) {
    Bytes header = ptsField(9000) + Bytes{uint8_t(pstd ? 0x11 : 0x01)};
    if (pstd) header = header + Bytes{0x60, 0xE8};
    header = header + Bytes{0x81, extension} + stuffing;
    return pes(0xFD, 0x81, header, payload);
}

TEST(Vc1, StreamIdExtensionNamesTheStream) {
    ScanResult r;
    scan(r, vc1(0x55, false, {}, Payload) + vc1(0x56, true, {0xFF, 0xFF}, {9}) +
                vc1(0x57, false, {}, {3}));
    EXPECT_EQ(r.sink.found, (std::vector<std::string>{"VC-1 video stream 0 found!",
                                                      "VC-1 video stream 1 found!"}));
    EXPECT_EQ(r.ids(), (std::vector<TrackId>{extension(0x55), extension(0x56)}));
    ASSERT_EQ(r.sink.runs.size(), 2u); // extension 0x57 is skipped
    EXPECT_EQ(r.sink.runs[0].bytes, Payload);
    EXPECT_EQ(r.sink.runs[1].bytes, Bytes{9});
    EXPECT_EQ(r.sink.runs[1].track, extension(0x56));
}

TEST(Vc1, VideoPacketWithPStdAndPtsAndDtsFindsItsPayload) {
    // MPEG-2 video with PTS and DTS, then PES extension with P-STD only.
    const Bytes header = ptsField(3600, 0x31) + ptsField(0, 0x11) + Bytes{0x10, 0x60, 0xE8};
    ScanResult r;
    scan(r, pes(0xE0, 0xC1, header, Payload));
    EXPECT_EQ(r.sink.bytesOf(PacketKind::Video), Payload);
}

Bytes subpicture(uint8_t flags, const Bytes& header) {
    return pes(0xBD, flags, header, Bytes{0x20} + Payload);
}

TEST(Timestamps, SubpictureRunCarriesOnlyItsPacketsOwnPtsLow32Bits) {
    ScanResult r;
    scan(r, subpicture(0x80, ptsField(0x100000001)) + subpicture(0x80, ptsField(0x100000000)) +
                subpicture(0x80, ptsField(0x12345678)));
    ASSERT_EQ(r.sink.runs.size(), 3u);
    EXPECT_EQ(r.sink.runs[0].pts, 1u);
    EXPECT_EQ(r.sink.runs[1].pts, 0u);
    EXPECT_EQ(r.sink.runs[2].pts, 0x12345678u);
}

TEST(Timestamps, NoPtsIsBorrowedFromAnEarlierPacket) {
    // A video packet's PTS must not end up in the subpicture's .pts file.
    ScanResult r;
    scan(r, pes(0xE0, 0x80, ptsField(5000), Payload) + subpicture(0x00, {}) +
                subpicture(0xC0, ptsField(7000, 0x31) + ptsField(6000, 0x11)));
    ASSERT_EQ(r.sink.runs.size(), 3u);
    EXPECT_EQ(r.sink.runs[1].pts, 0u);
    EXPECT_EQ(r.sink.runs[2].pts, 0u);
}

TEST(Lengths, PacketsSplitAnywhereGiveTheSameRuns) {
    const Bytes stream = packHeader() + mpeg2Video(0xE0, Payload) +
                         privateStream1({0xA0, 1, 2, 3, 4, 5, 6}, Payload) +
                         subpicture(0x80, ptsField(90000)) + rawPacket(0xBE, FakeStartCode) +
                         privateStream1({0xC1, 1, 0, 1}, Payload);
    ScanResult whole;
    scan(whole, stream);
    for (size_t piece : {1, 2, 3, 7, 13}) {
        SCOPED_TRACE(piece);
        ScanResult split;
        scan(split, stream, piece);
        EXPECT_EQ(split.sink.found, whole.sink.found);
        for (auto kind : {PacketKind::Video, PacketKind::Audio, PacketKind::Subpicture})
            EXPECT_EQ(split.sink.bytesOf(kind), whole.sink.bytesOf(kind));
        // The subpicture's timestamp comes with its first run only.
        int withPts = 0;
        for (const auto& run : split.sink.runs)
            withPts += run.pts != 0;
        EXPECT_EQ(withPts, 1);
    }
}

TEST(Lengths, LengthFieldSmallerThanHeaderNeverRunsBackwards) {
    for (int length : {0, 2, 5}) {
        SCOPED_TRACE(length);
        ScanResult r;
        scan(r, pes(0xE0, 0x80, ptsField(1), Payload, length) +
                    privateStream1({0x80, 1, 0, 1}, Payload));
        EXPECT_EQ(r.sink.bytesOf(PacketKind::Audio), Payload);
        for (const auto& run : r.sink.runs) {
            if (run.kind == PacketKind::Video) {
                EXPECT_TRUE(run.bytes.empty());
            }
        }
    }
}

} // namespace
} // namespace splitwick::testing
