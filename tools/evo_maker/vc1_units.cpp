#include "vc1_units.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

namespace splitwick::maker {

namespace {

constexpr uint8_t SequenceHeader = 0x0F;
constexpr uint8_t EntryPoint = 0x0E;
constexpr uint8_t FrameStart = 0x0D;
constexpr uint32_t AdvancedProfile = 3;

// Bits from the most significant on; past the end it reads zeros.
class BitReader {
  public:
    BitReader(const std::vector<uint8_t>& data, size_t from) : data_(data), bit_(from * 8) {}
    uint32_t read(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++bit_) {
            const size_t byte = bit_ / 8;
            const int bit = byte < data_.size() ? data_[byte] >> (7 - bit_ % 8) & 1 : 0;
            value = value << 1 | uint32_t(bit);
        }
        return value;
    }
    void skip(int count) { bit_ += size_t(count); }

  private:
    const std::vector<uint8_t>& data_;
    size_t bit_;
};

struct Sequence {
    bool interlace = false;
    std::optional<Rational> frameDuration; // seconds
};

// The sequence header's fields up to FRAMERATE, from the byte behind its start code.
Sequence readSequence(const std::vector<uint8_t>& data, size_t from, const std::string& path) {
    const auto fail = [&](const std::string& what) -> Sequence {
        throw std::invalid_argument(path + ": " + what);
    };
    BitReader bits(data, from);
    Sequence sequence;
    if (bits.read(2) != AdvancedProfile) return fail("VC-1 of another profile than Advanced");
    // LEVEL, COLORDIFF_FORMAT, FRMRTQ_POSTPROC, BITRTQ_POSTPROC, POSTPROCFLAG, MAX_CODED_WIDTH,
    // MAX_CODED_HEIGHT, PULLDOWN
    bits.skip(3 + 2 + 3 + 5 + 1 + 12 + 12 + 1);
    sequence.interlace = bits.read(1) != 0;
    bits.skip(4);                           // TFCNTRFLAG, FINTERPFLAG, reserved, PSF
    if (bits.read(1) == 0) return sequence; // DISPLAY_EXT
    bits.skip(14 + 14);                     // DISP_HORIZ_SIZE, DISP_VERT_SIZE
    // ASPECT_RATIO_FLAG, ASPECT_RATIO; 15 is followed by ASPECT_HORIZ_SIZE and ASPECT_VERT_SIZE
    if (bits.read(1) != 0 && bits.read(4) == 15) bits.skip(8 + 8);
    if (bits.read(1) == 0) return sequence; // FRAMERATE_FLAG
    if (bits.read(1) != 0) {                // FRAMERATEIND: FRAMERATEEXP in 1/32 frame a second
        sequence.frameDuration = Rational{32, int64_t(bits.read(16)) + 1};
        return sequence;
    }
    // FRAMERATENR: 24, 25, 30, 50, 60, 48, 72 frames a second; FRAMERATEDR: by 1000 or 1001.
    static const int64_t Rates[] = {24, 25, 30, 50, 60, 48, 72};
    const uint32_t nr = bits.read(8), dr = bits.read(4);
    if (nr < 1 || nr > 7 || dr < 1 || dr > 2) return fail("a frame rate VC-1 does not define");
    sequence.frameDuration = Rational{dr == 2 ? 1001 : 1000, Rates[nr - 1] * 1000};
    return sequence;
}

// Progressive PTYPE: 0 P, 10 B, 110 I, 1110 BI, 1111 skipped. B and BI pictures are shown at once
// and referred to by none.
bool shownAtOnce(uint8_t firstByte) {
    return (firstByte & 0xC0) == 0x80 || (firstByte & 0xF0) == 0xE0;
}

struct Picture {
    int64_t offset;
    bool key;
    bool shownAtOnce;
};

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::invalid_argument("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

UnitList vc1UnitList(const std::string& path) {
    const std::vector<uint8_t> data = readAll(path);
    const auto fail = [&](const std::string& what) {
        throw std::invalid_argument(path + ": " + what);
    };
    std::optional<Sequence> sequence;
    // Where the sequence header or entry point in front of the next picture begins, if one does.
    bool led = false;
    size_t leader = 0;
    std::vector<Picture> pictures;
    for (size_t i = 0; i + 4 < data.size(); ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1) continue;
        const uint8_t code = data[i + 3];
        if (code == SequenceHeader) sequence = readSequence(data, i + 4, path);
        if ((code == SequenceHeader || code == EntryPoint) && !led) {
            led = true;
            leader = i;
        }
        if (code == FrameStart) {
            if (!sequence) fail("a picture before the first sequence header");
            if (sequence->interlace) fail("interlaced VC-1, whose pictures are not read here");
            pictures.push_back({int64_t(led ? leader : i), led, shownAtOnce(data[i + 4])});
            led = false;
        }
        i += 2; // the next start code begins after this one's 00 00 01 at the earliest
    }
    if (pictures.empty()) fail("no VC-1 picture");
    if (!sequence->frameDuration) fail("VC-1 without a frame rate in its sequence header");

    // In frames: decoded one after another, presented in display order.
    std::vector<int64_t> shown(pictures.size());
    int64_t next = 0;
    // The last I or P picture, shown when the next arrives or the stream ends; the first picture
    // is one, as a B picture refers to two before it.
    size_t held = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].shownAtOnce) {
            shown[i] = next++;
        } else if (i > 0) {
            shown[held] = next++;
            held = i;
        }
    }
    shown[held] = next;

    UnitList list;
    list.unitDuration = *sequence->frameDuration;
    pictures.front().offset = 0; // bytes in front of the first picture go with it
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int64_t end = i + 1 < pictures.size() ? pictures[i + 1].offset : int64_t(data.size());
        list.units.push_back({pictures[i].offset, end - pictures[i].offset,
                              toTicks(shown[i], list.unitDuration),
                              toTicks(int64_t(i) - 1, list.unitDuration), pictures[i].key});
    }
    return list;
}

} // namespace splitwick::maker
