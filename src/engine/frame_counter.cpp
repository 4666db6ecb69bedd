#include "frame_counter.h"

#include <array>
#include <cstring>

namespace splitwick {

namespace {
constexpr std::array<uint8_t, 3> FrameStartCode = {0x00, 0x09, 0x0D}; // by VideoCodec
}

int32_t countFrames(const uint8_t* data, size_t length, VideoCodec codec) {
    const uint8_t last = FrameStartCode[static_cast<int>(codec)];
    int32_t count = 0;
    if (length < 4) return 0;
    // Look for the 0x01 of each 00 00 01 xx: it can stand at offsets 2 to length - 2.
    const uint8_t* p = data + 2;
    const uint8_t* const end = data + length - 1;
    while (p < end) {
        p = static_cast<const uint8_t*>(std::memchr(p, 0x01, end - p));
        if (p == nullptr) break;
        if (p[-1] == 0 && p[-2] == 0 && p[1] == last) ++count;
        ++p;
    }
    return count;
}

} // namespace splitwick
