#include "subpicture_rle.h"

#include <algorithm>
#include <climits>

namespace splitwick {

namespace {

class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    // Bits past the end read as 0 and mark the reader overrun. A byte's bits at a time: every
    // pixel run passes here.
    uint32_t get(int bits) {
        uint32_t value = 0;
        while (bits > 0) {
            const size_t byte = position_ / 8;
            const int used = int(position_ % 8);
            const int take = std::min(bits, 8 - used);
            const uint32_t b = byte < bytes_.size() ? bytes_[byte] : 0;
            value = value << take | (b >> (8 - used - take) & ((1u << take) - 1));
            position_ += size_t(take);
            bits -= take;
        }
        return value;
    }
    void align() { position_ = (position_ + 7) / 8 * 8; }
    bool overrun() const { return position_ > bytes_.size() * 8; }

  private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

struct Run {
    uint8_t colour;
    int length; // INT_MAX: to the end of the line
};

// has-run bit, colour flag, colour of 2 or 8 bits; a run of 7 bits counted from 9 (0: to the
// line's end) or of 3 bits counted from 2; without a run, one pixel.
Run hdRun(BitReader& in) {
    const bool hasRun = in.get(1) != 0;
    const uint8_t colour = uint8_t(in.get(1) != 0 ? in.get(8) : in.get(2));
    if (!hasRun) return {colour, 1};
    if (in.get(1) != 0) {
        const int length = int(in.get(7));
        return {colour, length == 0 ? INT_MAX : length + 9};
    }
    return {colour, int(in.get(3)) + 2};
}

// DVD: codes of 4, 8, 12 or 16 bits, their leading zero nibbles telling which; the low two bits
// the colour, the rest the run, 0 to the line's end.
Run dvdRun(BitReader& in) {
    uint32_t value = 0;
    for (uint32_t threshold = 1; value < threshold && threshold <= 0x40; threshold <<= 2)
        value = value << 4 | in.get(4);
    const int length = int(value >> 2);
    return {uint8_t(value & 3), length == 0 ? INT_MAX : length};
}

} // namespace

bool decodeField(std::span<const uint8_t> field, RleCoding coding, int width, int height, int first,
                 std::vector<uint8_t>& pixels) {
    BitReader in(field);
    for (int row = first; row < height; row += 2) {
        uint8_t* line = pixels.data() + size_t(row) * size_t(width);
        for (int x = 0; x < width;) {
            const Run run = coding == RleCoding::Hd8Bit ? hdRun(in) : dvdRun(in);
            if (in.overrun()) return false;
            const int length = std::min(run.length, width - x);
            std::fill_n(line + x, length, run.colour);
            x += length;
        }
        in.align();
    }
    return true;
}

} // namespace splitwick
