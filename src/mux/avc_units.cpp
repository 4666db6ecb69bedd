#include "avc_units.h"

#include <algorithm>
#include <optional>

#include "engine/start_codes.h"

namespace splitwick {

namespace {

// Where the start code after `from` begins: its prefix's first zero, or the zero before it
// (a start code of four bytes); `end` when there is none.
size_t startCodeFrom(const uint8_t* data, size_t from, size_t end) {
    if (end < from + 3) return end;
    const size_t one = nextStartCodePrefix(data, from + 2, end);
    if (one >= end) return end;
    const size_t at = one - 2;
    return at > from && data[at - 1] == 0 ? at - 1 : at;
}

// A unit's length, in the four big-endian bytes before it.
void putLength(uint8_t* to, size_t length) {
    for (int i = 0; i < 4; ++i)
        to[i] = uint8_t(length >> (8 * (3 - i)));
}

// Reads an SPS's bits, its emulation prevention bytes (the 03 of 00 00 03) taken out.
class SpsBits {
  public:
    SpsBits(const uint8_t* data, size_t size) {
        size_t i = 0;
        while (i + 2 < size) {
            const bool prevention = data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 3;
            bytes_.insert(bytes_.end(), data + i, data + i + (prevention ? 2 : 1));
            i += prevention ? 3 : 1;
        }
        bytes_.insert(bytes_.end(), data + i, data + size);
    }
    std::optional<uint32_t> bits(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (at_ >= bytes_.size() * 8) return std::nullopt;
            value = value << 1 | ((bytes_[at_ / 8] >> (7 - at_ % 8)) & 1);
            ++at_;
        }
        return value;
    }
    // ue(v), up to 31: more, or the end, is no SPS read plainly.
    std::optional<uint32_t> smallGolomb() {
        int zeros = 0;
        for (;;) {
            const std::optional<uint32_t> bit = bits(1);
            if (!bit) return std::nullopt;
            if (*bit == 1) break;
            if (++zeros > 5) return std::nullopt;
        }
        const std::optional<uint32_t> rest = bits(zeros);
        if (!rest) return std::nullopt;
        return (1u << zeros) - 1 + *rest;
    }

  private:
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
};

struct Chroma {
    uint32_t format = 1, lumaDepth = 8, chromaDepth = 8;
};

// The profiles whose SPS tells its chroma format and bit depths.
constexpr uint8_t ChromaProfiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134};

std::optional<Chroma> chromaOf(const uint8_t* sps, size_t size) {
    Chroma chroma;
    if (std::find(std::begin(ChromaProfiles), std::end(ChromaProfiles), sps[0]) ==
        std::end(ChromaProfiles))
        return chroma;
    SpsBits bits(sps, size);
    // profile_idc, the constraint flags, level_idc, then seq_parameter_set_id.
    if (!bits.bits(24) || !bits.smallGolomb()) return std::nullopt;
    const std::optional<uint32_t> format = bits.smallGolomb();
    if (!format || *format > 3 || (*format == 3 && !bits.bits(1))) return std::nullopt;
    const std::optional<uint32_t> luma = bits.smallGolomb();
    const std::optional<uint32_t> chromaDepth = bits.smallGolomb();
    if (!luma || !chromaDepth || *luma > 6 || *chromaDepth > 6) return std::nullopt;
    return Chroma{*format, *luma + 8, *chromaDepth + 8};
}

} // namespace

void AvcUnits::findUnits(const uint8_t* data, size_t size, std::vector<Unit>& units) {
    units.clear();
    size_t start = startCodeFrom(data, 0, size);
    for (;;) {
        // Past the zeros and the byte after them, the 0x01.
        while (start < size && data[start++] == 0) {
        }
        if (start == size) return;
        const size_t end = startCodeFrom(data, start, size);
        units.push_back({start, end - start});
        start = end;
    }
}

AVPacket* AvcUnits::lengthPrefixed(const AVPacket& frame) {
    findUnits(frame.data, size_t(frame.size), units_);
    size_t total = 0;
    for (const Unit& unit : units_)
        total += 4 + unit.length;
    AVPacket* packet = packets_.packetOfLength(total);
    uint8_t* to = packet->data;
    for (const Unit& unit : units_) {
        putLength(to, unit.length);
        std::copy_n(frame.data + unit.at, unit.length, to + 4);
        to += 4 + unit.length;
    }
    return packet;
}

std::vector<uint8_t> AvcUnits::configuration(const uint8_t* annexB, size_t size) {
    // The muxer takes a setup that does not begin with a start code as it is, frames too.
    const bool startCode = size > 6 && annexB[0] == 0 && annexB[1] == 0 &&
                           (annexB[2] == 1 || (annexB[2] == 0 && annexB[3] == 1));
    if (!startCode) return {};
    std::vector<Unit> units;
    findUnits(annexB, size, units);
    // Each set behind its length in two bytes, in the order they come.
    struct Sets {
        uint8_t nalType;
        size_t most;
        std::vector<uint8_t> bytes;
        size_t count = 0;
    } sets[] = {{7, 31, {}}, {8, 255, {}}, {13, 255, {}}};
    for (const Unit& unit : units) {
        for (Sets& set : sets) {
            if ((annexB[unit.at] & 0x1F) != set.nalType) continue;
            if (unit.length > 0xFFFF || ++set.count > set.most) return {};
            set.bytes.push_back(uint8_t(unit.length >> 8));
            set.bytes.push_back(uint8_t(unit.length));
            set.bytes.insert(set.bytes.end(), annexB + unit.at, annexB + unit.at + unit.length);
        }
    }
    const std::vector<uint8_t>& sps = sets[0].bytes;
    const std::vector<uint8_t>& pps = sets[1].bytes;
    const std::vector<uint8_t>& spsExtensions = sets[2].bytes;
    if (sps.size() < 6 || pps.empty()) return {};
    std::vector<uint8_t> record = {1, sps[3], sps[4], sps[5], 0xFF, uint8_t(0xE0 | sets[0].count)};
    record.insert(record.end(), sps.begin(), sps.end());
    record.push_back(uint8_t(sets[1].count));
    record.insert(record.end(), pps.begin(), pps.end());
    // Baseline, Main and Extended profiles end there.
    if (sps[3] == 66 || sps[3] == 77 || sps[3] == 88) return record;
    const std::optional<Chroma> chroma = chromaOf(sps.data() + 3, sps.size() - 3);
    if (!chroma) return {};
    record.push_back(uint8_t(0xFC | chroma->format));
    record.push_back(uint8_t(0xF8 | (chroma->lumaDepth - 8)));
    record.push_back(uint8_t(0xF8 | (chroma->chromaDepth - 8)));
    record.push_back(uint8_t(sets[2].count));
    record.insert(record.end(), spsExtensions.begin(), spsExtensions.end());
    return record;
}

} // namespace splitwick
