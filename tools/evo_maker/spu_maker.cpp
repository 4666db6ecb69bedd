#include "spu_maker.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "filler.h"

namespace splitwick::maker {

namespace {

constexpr size_t UnitHeaderSize = 10; // 00 00, unit size, control table offset
constexpr int LongRunMax = 127 + 9;   // 7-bit run field, counted from 9
constexpr int ShortRunMax = 7 + 2;    // 3-bit run field, counted from 2

enum Command : uint8_t {
    ForcedStart = 0x00,
    Start = 0x01,
    Stop = 0x02,
    Palette = 0x83,
    Contrast = 0x84,
    Area = 0x85,
    Fields = 0x86,
    End = 0xFF,
};

class BitWriter {
  public:
    void put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ == 0) bytes_.push_back(0);
            bytes_.back() = uint8_t(bytes_.back() | (((value >> i) & 1) << (7 - used_)));
            used_ = (used_ + 1) % 8;
        }
    }
    void align() { used_ = 0; }
    Bytes take() { return std::move(bytes_); }

  private:
    Bytes bytes_;
    int used_ = 0;
};

// has-run bit, colour flag, colour: 2 bits below 4, else 8.
void putColour(BitWriter& out, bool run, uint8_t colour) {
    out.put(run ? 1 : 0, 1);
    const bool wide = colour >= 4;
    out.put(wide ? 1 : 0, 1);
    out.put(colour, wide ? 8 : 2);
}

void putRun(BitWriter& out, uint8_t colour, int length, bool toLineEnd) {
    if (toLineEnd && length > 1) {
        putColour(out, true, colour);
        out.put(1, 1);
        out.put(0, 7); // to the end of the line
        return;
    }
    while (length > 0) {
        const int step = std::min(length, LongRunMax);
        if (step >= ShortRunMax + 1) {
            putColour(out, true, colour);
            out.put(1, 1);
            out.put(uint32_t(step - 9), 7);
        } else if (step >= 2) {
            putColour(out, true, colour);
            out.put(0, 1);
            out.put(uint32_t(step - 2), 3);
        } else {
            putColour(out, false, colour);
        }
        length -= step;
    }
}

// Appends with resize and copy: GCC 12 at -O3 warns falsely about vector::insert of a range.
template <typename Range> void append(Bytes& out, const Range& bytes) {
    const size_t at = out.size();
    out.resize(at + std::size(bytes));
    std::copy(std::begin(bytes), std::end(bytes), out.begin() + std::ptrdiff_t(at));
}
void put16(Bytes& out, uint32_t value) {
    append(out, std::array<uint8_t, 2>{uint8_t(value >> 8), uint8_t(value)});
}
void put32(Bytes& out, uint32_t value) {
    append(out, std::array<uint8_t, 4>{uint8_t(value >> 24), uint8_t(value >> 16),
                                       uint8_t(value >> 8), uint8_t(value)});
}
void set32(Bytes& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

// STM and next-sequence offset; the offset is set once the next sequence's place is known.
size_t beginSequence(Bytes& out, uint16_t stm) {
    const size_t at = out.size();
    put16(out, stm);
    put32(out, 0);
    return at;
}

void putArea(Bytes& out, const SpuBitmap& b) {
    const uint32_t x2 = uint32_t(b.x + b.width - 1), y2 = uint32_t(b.y + b.height - 1);
    append(out, std::array<uint8_t, 7>{Area, uint8_t(b.x >> 4), uint8_t((b.x & 0xF) << 4 | x2 >> 8),
                                       uint8_t(x2), uint8_t(b.y >> 4),
                                       uint8_t((b.y & 0xF) << 4 | y2 >> 8), uint8_t(y2)});
}

// Colour c is the grey of level c (Cr = Cb = 128, which every YCbCr matrix renders alike).
std::array<uint8_t, 768> greyPalette() {
    std::array<uint8_t, 768> palette{};
    for (int c = 0; c < 256; ++c) {
        palette[size_t(3 * c)] = uint8_t(16 + c * 219 / 255);
        palette[size_t(3 * c + 1)] = palette[size_t(3 * c + 2)] = 128;
    }
    return palette;
}

SpuBitmap syntheticBitmap(Filler& random) {
    SpuBitmap b;
    b.width = 31 + 2 * int(random.below(300)); // odd sizes
    b.height = 9 + 2 * int(random.below(120));
    b.x = int(random.below(uint32_t(1920 - b.width)));
    b.y = int(random.below(uint32_t(1080 - b.height)));
    // Runs of every length class: one pixel, 2-9, 10-136, longer (several codes); short ones
    // most, so that many units span several packets.
    static constexpr int Lengths[][2] = {{1, 1}, {1, 1}, {1, 1}, {1, 1},    {1, 1},    {1, 1},
                                         {2, 9}, {2, 9}, {2, 9}, {10, 136}, {137, 400}};
    for (int row = 0; row < b.height; ++row) {
        for (int x = 0; x < b.width;) {
            const auto& range = Lengths[random.below(std::size(Lengths))];
            const int length = std::min(
                b.width - x, range[0] + int(random.below(uint32_t(range[1] - range[0] + 1))));
            const uint32_t pick = random.below(4);
            const uint8_t colour = pick == 0   ? uint8_t(random.below(4))
                                   : pick == 1 ? 255
                                               : uint8_t(4 + random.below(200));
            b.pixels.insert(b.pixels.end(), size_t(length), colour);
            x += length;
        }
    }
    return b;
}

} // namespace

Bytes spuField(const SpuBitmap& bitmap, int first) {
    BitWriter out;
    for (int row = first; row < bitmap.height; row += 2) {
        const uint8_t* line = bitmap.pixels.data() + size_t(row) * size_t(bitmap.width);
        for (int x = 0; x < bitmap.width;) {
            int length = 1;
            while (x + length < bitmap.width && line[x + length] == line[x])
                ++length;
            putRun(out, line[x], length, x + length == bitmap.width);
            x += length;
        }
        out.align();
    }
    return out.take();
}

Bytes spuUnit(const SpuUnitRecipe& unit) {
    const SpuBitmap& b = unit.bitmap;
    if (b.width < 1 || b.height < 1 || b.pixels.size() != size_t(b.width) * size_t(b.height) ||
        b.x + b.width > 4096 || b.y + b.height > 4096)
        throw std::invalid_argument("a subpicture's bitmap does not fit its area");
    const Bytes top = spuField(b, 0), bottom = spuField(b, 1);
    Bytes out(UnitHeaderSize, 0);
    append(out, top);
    append(out, bottom);
    const size_t table = out.size();

    std::vector<size_t> sequences{beginSequence(out, unit.startStm)};
    out.push_back(unit.forced ? ForcedStart : Start);
    out.push_back(Palette);
    append(out, unit.palette);
    out.push_back(Contrast);
    append(out, unit.contrast);
    putArea(out, b);
    out.push_back(Fields);
    put32(out, unit.fieldOutside ? 0x00FFFFF0 : uint32_t(UnitHeaderSize));
    put32(out, uint32_t(UnitHeaderSize + top.size()));
    out.push_back(End);
    for (const SpuFade& fade : unit.fades) {
        sequences.push_back(beginSequence(out, fade.stm));
        out.push_back(Contrast);
        append(out, fade.contrast);
        out.push_back(End);
    }
    sequences.push_back(beginSequence(out, unit.endStm));
    out.push_back(Stop);
    out.push_back(End);

    // Each sequence points to the next, the last to itself.
    for (size_t i = 0; i < sequences.size(); ++i)
        set32(out, sequences[i] + 2, uint32_t(sequences[std::min(i + 1, sequences.size() - 1)]));
    set32(out, 2, uint32_t(out.size()));
    set32(out, 6, uint32_t(table));
    return out;
}

std::vector<SpuUnitRecipe> syntheticSpus(int count, uint64_t seed, int64_t spacingTicks) {
    Filler random(seed);
    std::vector<SpuUnitRecipe> units;
    // STM steps of 45 are 512 ms: times a decoder gives in whole ms come out exact.
    const int64_t steps = (spacingTicks - 1) / (45 * 1024);
    if (steps < 2) throw std::invalid_argument("subpicture units are spaced too closely");
    for (int i = 0; i < count; ++i) {
        SpuUnitRecipe u;
        u.bitmap = syntheticBitmap(random);
        u.palette = greyPalette();
        // Colour 0 clear, a band half transparent, the rest (255 too) opaque.
        for (int c = 0; c < 256; ++c)
            u.contrast[size_t(c)] = c == 0 ? 255 : (c >= 100 && c < 120) ? 128 : 0;
        u.forced = i % 3 == 1;
        // A forced start is not delayed: it stands for the PTS itself.
        u.startStm = !u.forced && i % 2 == 0 ? 45 : 0;
        u.endStm = uint16_t(45 * steps);
        if (i % 4 == 3) {
            for (int step = 1; step <= 2; ++step) {
                SpuFade fade{uint16_t(u.startStm + 15 * step), u.contrast};
                for (uint8_t& c : fade.contrast)
                    c = uint8_t(std::min(255, c + 80 * step));
                u.fades.push_back(fade);
            }
        }
        units.push_back(std::move(u));
    }
    return units;
}

std::vector<SpuUnitRecipe> captionSpus(const std::vector<SpuBitmap>& bitmaps,
                                       int64_t spacingTicks) {
    constexpr int PlaneWidth = 1920, PlaneHeight = 1080, Foot = 60;
    constexpr int Ground = 64; // levels below it: a half transparent ground behind the text
    std::vector<SpuUnitRecipe> units;
    for (const SpuBitmap& bitmap : bitmaps) {
        SpuUnitRecipe u;
        u.bitmap = bitmap;
        u.bitmap.x = std::max(0, (PlaneWidth - bitmap.width) / 2);
        u.bitmap.y = std::max(0, PlaneHeight - Foot - bitmap.height);
        u.palette = greyPalette();
        for (int c = 0; c < 256; ++c)
            u.contrast[size_t(c)] = c < Ground ? 128 : 0;
        u.endStm = uint16_t(spacingTicks * 3 / 4 / 1024);
        units.push_back(std::move(u));
    }
    return units;
}

void writeSpuStream(const std::vector<SpuUnitRecipe>& units, int64_t spacingTicks,
                    const std::string& esPath, const std::string& unitsPath) {
    std::ofstream es(esPath, std::ios::binary), list(unitsPath);
    list << "timebase 1/90000\n";
    int64_t offset = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        const Bytes bytes = spuUnit(units[i]);
        es.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        const int64_t pts = int64_t(i) * spacingTicks;
        list << offset << ' ' << bytes.size() << ' ' << pts << ' ' << pts << " key\n";
        offset += int64_t(bytes.size());
    }
    if (!es.flush() || !list.flush())
        throw std::runtime_error("cannot write " + esPath + " or " + unitsPath);
}

} // namespace splitwick::maker
