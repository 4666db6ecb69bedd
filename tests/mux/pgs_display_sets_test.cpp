// PGS segments, written in pieces split anywhere, come out as whole display sets.
#include <gtest/gtest.h>

#include <vector>

#include "mux/pgs_display_sets.h"

namespace splitwick::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// "PG", PTS, a DTS of 0, type, size, data.
Bytes segment(uint32_t pts, uint8_t type, const Bytes& data) {
    Bytes out = {'P',
                 'G',
                 uint8_t(pts >> 24),
                 uint8_t(pts >> 16),
                 uint8_t(pts >> 8),
                 uint8_t(pts),
                 0,
                 0,
                 0,
                 0,
                 type,
                 uint8_t(data.size() >> 8),
                 uint8_t(data.size())};
    for (uint8_t byte : data)
        out.push_back(byte);
    return out;
}

Bytes joined(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(PgsDisplaySets, EachSetComesOutWholeAtItsFirstSegmentsTime) {
    // A composition, a palette and the end; then a clearing composition and its end.
    const Bytes stream =
        joined({segment(90000, 0x16, {1, 2, 3}), segment(90000, 0x14, {4}),
                segment(90000, 0x80, {}), segment(180000, 0x16, {5}), segment(180000, 0x80, {})});
    const std::vector<std::pair<int64_t, Bytes>> expected = {
        {90000, {0x16, 0, 3, 1, 2, 3, 0x14, 0, 1, 4, 0x80, 0, 0}},
        {180000, {0x16, 0, 1, 5, 0x80, 0, 0}},
    };
    for (size_t piece : {size_t(1), size_t(7), size_t(13), stream.size()}) {
        SCOPED_TRACE(piece);
        std::vector<std::pair<int64_t, Bytes>> sets;
        PgsDisplaySets splitter([&](int64_t pts, std::span<const uint8_t> set) {
            sets.emplace_back(pts, Bytes(set.begin(), set.end()));
        });
        for (size_t at = 0; at < stream.size(); at += piece)
            splitter.write(stream.data() + at, std::min(piece, stream.size() - at));
        EXPECT_EQ(sets, expected);
    }
}

} // namespace
} // namespace splitwick::testing
