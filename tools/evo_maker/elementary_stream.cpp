#include "elementary_stream.h"

#include <algorithm>
#include <cstring>

namespace splitwick::maker {

namespace {

// A private-stream-1 start code with a plausible length and header behind it.
constexpr uint8_t Trap[] = {0x00, 0x00, 0x01, 0xBD, 0x07, 0xEC, 0x81, 0x80};

} // namespace

ElementaryStream::ElementaryStream(uint32_t frameStartCode, uint32_t meanUnitBytes, bool traps,
                                   uint64_t seed)
    : filler_(seed), frameStartCode_(frameStartCode),
      meanUnitBytes_(std::max<uint32_t>(meanUnitBytes, 2)), traps_(traps) {}

void ElementaryStream::take(uint8_t* out, size_t length) {
    while (length > 0) {
        size_t n;
        if (headTaken_ < headLength_) {
            n = std::min(length, headLength_ - headTaken_);
            std::memcpy(out, head_.data() + headTaken_, n);
            headTaken_ += n;
        } else if (bodyLeft_ > 0) {
            n = std::min(length, bodyLeft_);
            filler_.fill(out, n);
            bodyLeft_ -= n;
        } else {
            beginUnit();
            continue;
        }
        out += n;
        length -= n;
    }
}

void ElementaryStream::beginUnit() {
    headLength_ = 0;
    headTaken_ = 0;
    if (frameStartCode_ != 0) {
        for (int shift = 24; shift >= 0; shift -= 8)
            head_[headLength_++] = uint8_t(frameStartCode_ >> shift);
        ++startCodes_;
    }
    if (traps_ && units_ % 3 == 0) {
        std::memcpy(head_.data() + headLength_, Trap, sizeof Trap);
        headLength_ += sizeof Trap;
    }
    ++units_;
    // Between half and one and a half times the mean.
    bodyLeft_ = meanUnitBytes_ / 2 + filler_.below(meanUnitBytes_);
}

} // namespace splitwick::maker
