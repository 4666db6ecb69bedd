// Subpicture units joined from the payload runs of their packets, and the ones cut short left
// out with their reason.
#include "engine/subpicture_units.h"

#include <gtest/gtest.h>

namespace splitwick {
namespace {

struct Packet {
    int64_t pts; // NoTimestamp: a packet that goes on with the unit
    std::vector<uint8_t> payload;
    size_t chunkCut = 0; // the end of a chunk cuts its payload here (0: none)
};

// 00 00, size, table offset, and filler up to the size.
std::vector<uint8_t> unit(size_t size, uint8_t fill) {
    std::vector<uint8_t> u(size, fill);
    u[0] = u[1] = 0;
    for (int i = 0; i < 4; ++i)
        u[2 + size_t(i)] = uint8_t(size >> (24 - 8 * i));
    return u;
}

struct Joined {
    std::vector<std::pair<int64_t, size_t>> units; // PTS and size
    std::vector<std::string> leftOut;
};

Joined join(const std::vector<Packet>& packets) {
    Joined out;
    SubpictureUnits units([&](SubpictureUnit& u) { out.units.emplace_back(u.pts, u.bytes.size()); },
                          [&](int64_t pts, const std::string& reason) {
                              out.leftOut.push_back(std::to_string(pts) + ": " + reason);
                          });
    uint32_t pending = 0;
    for (const Packet& p : packets) {
        const size_t cut = p.chunkCut == 0 ? p.payload.size() : p.chunkCut;
        const Track track{{IdField::SubStream, 0x20}, &StreamCodecs[10]};
        PayloadRun run{
            PacketKind::Subpicture, p.payload.data(), cut, &track, pending, p.pts, p.pts, false};
        units.add(run);
        if (cut < p.payload.size()) {
            run.data += cut;
            run.length = p.payload.size() - cut;
            run.continuesPacket = true;
            units.add(run);
        }
    }
    units.end();
    return out;
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& b, size_t from, size_t to) {
    return {b.begin() + std::ptrdiff_t(from), b.begin() + std::ptrdiff_t(std::min(to, b.size()))};
}

TEST(SubpictureUnits, AUnitSpansPacketsAndChunks) {
    const auto a = unit(5000, 1), b = unit(300, 2);
    // The size field itself cut by a chunk's end; padding behind the last unit's end.
    auto last = b;
    last.insert(last.end(), 20, 0xFF);
    const Joined j = join({{900, slice(a, 0, 2000), 4},
                           {NoTimestamp, slice(a, 2000, 4000), 100},
                           {NoTimestamp, slice(a, 4000, 5000)},
                           {1800, last}});
    EXPECT_EQ(j.units, (std::vector<std::pair<int64_t, size_t>>{{900, 5000}, {1800, 300}}));
    EXPECT_TRUE(j.leftOut.empty());
}

TEST(SubpictureUnits, UnitsCutShortAreLeftOutWithTheirReason) {
    const auto a = unit(3000, 1), good = unit(40, 2);
    const Joined j = join({
        {NoTimestamp, slice(a, 1000, 2000)}, // the stream met midway: no unit begun
        {100, slice(a, 0, 2000)},            // cut by the next unit
        {200, good},
        {300, unit(9, 3)},        // no unit is that small
        {400, slice(a, 0, 2500)}, // cut by the stream's end
    });
    EXPECT_EQ(j.units, (std::vector<std::pair<int64_t, size_t>>{{200, 40}}));
    EXPECT_EQ(j.leftOut, (std::vector<std::string>{"100: the next unit begins before its end",
                                                   "300: its size is 9 bytes",
                                                   "400: the stream ends before it does"}));
}

} // namespace
} // namespace splitwick
