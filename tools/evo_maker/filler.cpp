#include "filler.h"

#include <cstring>

namespace splitwick::maker {

namespace {

// Sets bit 7 of every zero byte of the word: zero bytes become 0x80, the others stay.
uint64_t withoutZeroBytes(uint64_t word) {
    constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
    const uint64_t zeroHighBits = ~(((word & Low7) + Low7) | word | Low7);
    return word | zeroHighBits;
}

} // namespace

uint64_t Filler::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void Filler::fill(uint8_t* out, size_t length) {
    while (length >= 8) {
        const uint64_t word = withoutZeroBytes(next());
        std::memcpy(out, &word, 8);
        out += 8;
        length -= 8;
    }
    if (length > 0) {
        const uint64_t word = withoutZeroBytes(next());
        std::memcpy(out, &word, length);
    }
}

} // namespace splitwick::maker
