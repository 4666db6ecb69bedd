// Scanner faults found by the end-to-end tests, one test each, on packets of the maker's low
// level.
#include <gtest/gtest.h>

#include "engine/pack_scanner.h"
#include "evo_maker/pes_builder.h"

namespace splitwick {
namespace {

using maker::Bytes;

// Keeps the audio payload runs and the found lines.
struct AudioSink : ScanSink {
    void payload(PayloadRun& run) override {
        if (run.kind == PacketKind::Audio)
            audio.insert(audio.end(), run.data, run.data + run.length);
    }
    void streamFound(const char* text, int index) override {
        found.push_back(text + std::to_string(index));
    }
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

    StreamTable table;
    table.fill(-1);
    AudioSink sink;
    PackScanner scanner(table, sink, true);
    scanner.feed(pack.data(), pack.size());

    EXPECT_EQ(sink.audio, payload);
    EXPECT_EQ(table[StreamTable::AudioFirst], 0xC0);
    EXPECT_EQ(sink.found, std::vector<std::string>{"DD+ audio stream 0"});
}

} // namespace
} // namespace splitwick
