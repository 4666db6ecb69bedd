#include "subpicture_rle.h"

#include <algorithm>
#include <array>
#include <climits>

namespace splitwick {

namespace {

struct Run {
    uint8_t colour;
    int length; // INT_MAX: to the end of the line
};

// An HD code: has-run bit, colour flag, colour of 2 or 8 bits; a run of 7 bits counted from 9
// (0: to the line's end) or of 3 bits counted from 2; without a run, one pixel. All but the run's
// value lies in the first 11 bits, so a table over them gives the code's shape: in a bitmap the
// kinds of code come in no order a branch could guess.
struct HdCode {
    uint8_t colour = 0;
    uint8_t headBits = 0;   // bits before the run's value
    uint8_t lengthBits = 0; // 0: one pixel
    uint8_t base = 1;       // added to the value
};
constexpr int HdHeadBits = 11;

constexpr std::array<HdCode, 1 << HdHeadBits> hdCodes() {
    std::array<HdCode, 1 << HdHeadBits> table{};
    for (uint32_t head = 0; head < table.size(); ++head) {
        const auto bits = [&](int from, int count) {
            return head >> (HdHeadBits - from - count) & ((1u << count) - 1);
        };
        const bool wide = bits(1, 1) != 0;
        const int colourBits = wide ? 8 : 2;
        HdCode& code = table[head];
        code.colour = uint8_t(bits(2, colourBits));
        code.headBits = uint8_t(2 + colourBits);
        if (bits(0, 1) == 0) continue;
        const bool longRun = bits(2 + colourBits, 1) != 0;
        code.headBits = uint8_t(code.headBits + 1);
        code.lengthBits = longRun ? 7 : 3;
        code.base = longRun ? 9 : 2;
    }
    return table;
}
constexpr auto HdCodes = hdCodes();

Run hdRun(FieldReader::Bits& in) {
    const uint32_t bits = in.peek();
    const HdCode& code = HdCodes[bits >> (32 - HdHeadBits)];
    // A shift of 32 (one pixel, no value) is taken in 64 bits and gives 0.
    const int value =
        int((uint64_t(bits) << code.headBits & 0xFFFFFFFFu) >> (32 - code.lengthBits));
    in.skip(code.headBits + code.lengthBits);
    const bool toLineEnd = code.lengthBits == 7 && value == 0;
    return {code.colour, toLineEnd ? INT_MAX : value + code.base};
}

// DVD: codes of 4, 8, 12 or 16 bits, their leading zero nibbles telling which; the low two bits
// the colour, the rest the run, 0 to the line's end.
Run dvdRun(FieldReader::Bits& in) {
    uint32_t value = 0;
    for (uint32_t threshold = 1; value < threshold && threshold <= 0x40; threshold <<= 2)
        value = value << 4 | in.get(4);
    const int length = int(value >> 2);
    return {uint8_t(value & 3), length == 0 ? INT_MAX : length};
}

} // namespace

bool FieldReader::readLine(int width, std::vector<PixelRun>& runs) {
    for (int x = 0; x < width;) {
        const Run run = coding_ == RleCoding::Hd8Bit ? hdRun(bits_) : dvdRun(bits_);
        if (bits_.overrun()) return false;
        const int length = std::min(run.length, width - x);
        runs.push_back({run.colour, uint16_t(length)});
        x += length;
    }
    bits_.align();
    return true;
}

} // namespace splitwick
