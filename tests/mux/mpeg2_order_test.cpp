// The order MPEG-2 pictures are shown in, from their temporal_reference, in decoding order.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "mux/mpeg2_order.h"

namespace splitwick::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// A picture header with its temporal_reference, behind a group_of_pictures header when it
// begins a group.
Bytes picture(int temporalReference, bool beginsGroup = false) {
    Bytes bytes;
    if (beginsGroup) bytes = {0, 0, 1, 0xB8, 0, 0, 0, 0};
    const Bytes header = {
        0, 0, 1, 0, uint8_t(temporalReference >> 2), uint8_t((temporalReference & 3) << 6 | 0x08),
        0};
    bytes.insert(bytes.end(), header.begin(), header.end());
    return bytes;
}

TEST(Mpeg2Order, PicturesAreShownAfterTheirDecodingAsTheirReferenceSays) {
    const struct {
        const char* name;
        std::vector<Bytes> pictures;
        std::vector<std::optional<int64_t>> shownAfter;
    } rows[] = {
        {"I B B P B B, open group",
         {picture(2, true), picture(0), picture(1), picture(5), picture(3), picture(4)},
         {3, 0, 0, 3, 0, 0}},
        {"closed groups, one after the other",
         {picture(0, true), picture(2), picture(1), picture(0, true), picture(1)},
         {1, 2, 0, 1, 1}},
        {"a reference of more than 8 bits", {picture(300, true)}, {301}},
        {"no picture header", {{0, 0, 1, 0xB3, 1, 2, 3}}, {std::nullopt}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Mpeg2Order order;
        std::vector<std::optional<int64_t>> shownAfter;
        for (const Bytes& bytes : row.pictures)
            shownAfter.push_back(order.framesShownAfter(bytes.data(), bytes.size()));
        EXPECT_EQ(shownAfter, row.shownAfter);
    }
}

} // namespace
} // namespace splitwick::testing
