#include "frame_tally.h"

#include <cstring>

namespace splitwick::maker {

namespace {

int64_t countInRun(const uint8_t* data, size_t length, uint32_t startCode) {
    const uint8_t last = uint8_t(startCode);
    const uint8_t* const end = data + length;
    int64_t count = 0;
    for (const uint8_t* p = data; end - p >= 4; ++p) {
        p = static_cast<const uint8_t*>(std::memchr(p, 0x00, end - p));
        if (p == nullptr || end - p < 4) break;
        if (p[1] == 0x00 && p[2] == 0x01 && p[3] == last) ++count;
    }
    return count;
}

} // namespace

void FrameTally::add(int videoIndex, uint32_t startCode, const uint8_t* data, size_t length) {
    counts_.at(videoIndex) += countInRun(data, length, startCode);
}

} // namespace splitwick::maker
