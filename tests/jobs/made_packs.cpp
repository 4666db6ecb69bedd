#include "made_packs.h"

#include "support/test_files.h"

namespace splitwick::testing {

namespace {

constexpr uint64_t Pts = 90000;

// No 00 00 01 can form inside it.
Bytes payload() {
    Bytes bytes(100);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(0x11 + i % 0xE0);
    return bytes;
}

maker::PesHeader withPts(std::optional<uint8_t> extension = std::nullopt) {
    maker::PesHeader header;
    header.pts = Pts;
    header.streamIdExtension = extension;
    return header;
}

Bytes packOf(const Bytes& packet) {
    return maker::pack(Pts, {packet});
}

} // namespace

Bytes streamPack(uint8_t streamId) {
    return packOf(maker::pesPacket(streamId, withPts(), payload()));
}

Bytes subStreamPack(uint8_t subStreamId) {
    Bytes body = maker::subStreamHeader(subStreamId);
    const Bytes data = payload();
    body.insert(body.end(), data.begin(), data.end());
    return packOf(maker::pesPacket(maker::PrivateStream1, withPts(), body));
}

Bytes extendedPack(uint8_t extension) {
    return packOf(maker::pesPacket(maker::ExtendedStream, withPts(extension), payload()));
}

Bytes systemHeaderPack(int videoBound, int audioBound) {
    Bytes headers;
    maker::appendSystemHeader(headers, videoBound, audioBound);
    maker::appendNavigationPacket(headers, 980, 0x00);
    return maker::pack(Pts, {headers});
}

Bytes withByte(Bytes pack, size_t offset, uint8_t value) {
    pack.at(offset) = value;
    return pack;
}

Bytes joined(const Packs& packs) {
    Bytes all;
    for (const Bytes& pack : packs)
        all.insert(all.end(), pack.begin(), pack.end());
    return all;
}

void writePacks(const std::string& path, const Packs& packs) {
    writeBytes(path, joined(packs));
}

} // namespace splitwick::testing
