#include "mpeg2_order.h"

namespace splitwick {

namespace {

constexpr uint8_t PictureStart = 0x00;
constexpr uint8_t GroupStart = 0xB8;

} // namespace

std::optional<int64_t> Mpeg2Order::framesShownAfter(const uint8_t* data, size_t size) {
    // Start codes 00 00 01 xx; the picture header's temporal_reference is the 10 bits behind it.
    for (size_t at = 0; at + 5 < size; ++at) {
        if (data[at] != 0 || data[at + 1] != 0 || data[at + 2] != 1) continue;
        if (data[at + 3] == GroupStart) decodedInGop_ = 0;
        if (data[at + 3] != PictureStart) continue;
        const int64_t temporalReference = int64_t(data[at + 4]) << 2 | data[at + 5] >> 6;
        return temporalReference - decodedInGop_++ + 1;
    }
    return std::nullopt;
}

} // namespace splitwick
