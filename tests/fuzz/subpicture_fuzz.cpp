// A subpicture unit of any bytes is refused with a reason or shown; what is shown, written as PGS
// and decoded back from its object segments, gives the unit's pixels (entry 255 in the entry it
// moved to) and nothing read past the unit.
#include <optional>

#include "engine/pgs_writer.h"
#include "engine/subpicture.h"
#include "fuzz_check.h"
#include "support/memory_output.h"
#include "support/subpicture_bitmap.h"

using splitwick::fuzz::require;

namespace {

using Bytes = splitwick::testing::MemoryOutput;

// The object's RLE of the first display set, joined over its object segments.
std::vector<uint8_t> objectRle(const std::vector<uint8_t>& b) {
    std::vector<uint8_t> rle;
    for (size_t at = 0; at + 13 <= b.size();) {
        const size_t size = size_t(b[at + 11]) << 8 | b[at + 12];
        require(at + 13 + size <= b.size(), "a segment ends past the stream");
        if (b[at + 10] == 0x15) {
            const size_t head = b[at + 13 + 3] & 0x80 ? 11 : 4;
            rle.insert(rle.end(), b.begin() + std::ptrdiff_t(at + 13 + head),
                       b.begin() + std::ptrdiff_t(at + 13 + size));
        }
        if (b[at + 10] == 0x80) return rle;
        at += 13 + size;
    }
    require(false, "the display set has no end");
    return rle;
}

// The stream's RLE decoded: 00 00 ends a line, 00 and a code a run, another byte one pixel.
std::vector<uint8_t> decoded(const std::vector<uint8_t>& rle) {
    std::vector<uint8_t> pixels;
    for (size_t i = 0; i < rle.size();) {
        const uint8_t b = rle[i++];
        if (b != 0) {
            pixels.push_back(b);
            continue;
        }
        const uint8_t code = rle[i++];
        if (code == 0) continue;
        size_t length = code & 0x3F;
        if (code & 0x40) length = length << 8 | rle[i++];
        pixels.insert(pixels.end(), length, code & 0x80 ? rle[i++] : 0);
    }
    return pixels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<splitwick::Subpicture> picture;
    try {
        picture = splitwick::parseSubpicture({data, size});
    } catch (const splitwick::SubpictureError& error) {
        require(*error.what() != '\0', "a refusal gives its reason");
        return 0;
    }
    const splitwick::Subpicture& p = *picture;
    const std::vector<uint8_t> pixels = splitwick::testing::bitmapOf(p);
    require(p.width > 0 && p.height > 0 && pixels.size() == size_t(p.width) * size_t(p.height) &&
                p.lineEnds.size() == size_t(p.height),
            "the bitmap fills its area");
    Bytes out;
    splitwick::PgsWriter writer(out);
    writer.add(p, 0);
    writer.finish();
    const std::vector<uint8_t> shown = decoded(objectRle(out.bytes));
    require(shown.size() == pixels.size(), "the object has the unit's pixels");
    for (size_t i = 0; i < shown.size(); ++i)
        require(shown[i] == pixels[i] || (pixels[i] == 255 && shown[i] != 255),
                "each pixel keeps its colour, entry 255 moved");
    return 0;
}
