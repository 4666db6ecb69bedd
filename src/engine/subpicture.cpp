#include "subpicture.h"

#include <algorithm>
#include <string>

#include "subpicture_rle.h"

namespace splitwick {

namespace {

constexpr int64_t TicksPerStm = 1024;
// A control table of more sequences than this is taken as looping.
constexpr int MaxSequences = 1024;

// The unit's form: field widths of its header and control table.
struct Form {
    bool hd;
    size_t offsetBytes; // 4 (HD DVD) or 2 (DVD)
    size_t headerBytes; // size and table offset behind the 00 00 (HD DVD)
};
constexpr Form HdForm{true, 4, 10};
constexpr Form DvdForm{false, 2, 4};

class UnitReader {
  public:
    explicit UnitReader(std::span<const uint8_t> unit) : unit_(unit) {}
    // Big-endian number of `bytes` at `at`; throws where it passes the unit's end.
    uint32_t number(size_t at, size_t bytes, const char* field) const {
        if (at > unit_.size() || bytes > unit_.size() - at)
            throw SubpictureError(std::string(field) + " lies past the unit's end");
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i)
            value = value << 8 | unit_[at + i];
        return value;
    }
    std::span<const uint8_t> bytes(size_t at, size_t length, const char* field) const {
        number(at, length, field);
        return unit_.subspan(at, length);
    }
    size_t size() const { return unit_.size(); }

  private:
    std::span<const uint8_t> unit_;
};

// What the control table set, before the pixels are decoded.
struct DisplayControls {
    std::optional<int64_t> start, end;
    bool forced = false;
    bool eightBit = false;
    std::optional<std::array<int, 4>> area; // x1, x2, y1, y2, corners inclusive
    std::optional<std::array<size_t, 2>> fields;
    std::array<uint8_t, 4> dvdColours{}, dvdContrast{};
    bool palette = false;
};

struct SequenceState {
    int64_t delay;
    int commands = 0;
    bool contrast = false;
};

void setArea(const UnitReader& in, size_t at, DisplayControls& c) {
    const uint32_t x = in.number(at, 3, "the area"), y = in.number(at + 3, 3, "the area");
    c.area = std::array<int, 4>{int(x >> 12), int(x & 0xFFF), int(y >> 12), int(y & 0xFFF)};
}

// Runs one command at `at` (behind its code); returns the bytes of its arguments.
size_t runCommand(uint8_t code, const UnitReader& in, size_t at, SequenceState& sequence,
                  DisplayControls& c, Subpicture& out) {
    switch (code) {
    case 0x00: // forced start
        c.forced = true;
        [[fallthrough]];
    case 0x01: // start
        if (!c.start) c.start = sequence.delay;
        return 0;
    case 0x02: // stop
        if (!c.end) c.end = sequence.delay;
        return 0;
    case 0x03: { // DVD colours: four 4-bit palette numbers, last pixel value first
        const uint32_t v = in.number(at, 2, "a colour command");
        for (int i = 0; i < 4; ++i)
            c.dvdColours[size_t(i)] = uint8_t(v >> (4 * i) & 0xF);
        return 2;
    }
    case 0x04: { // DVD contrast, in the same order
        const uint32_t v = in.number(at, 2, "a contrast command");
        for (int i = 0; i < 4; ++i)
            c.dvdContrast[size_t(i)] = uint8_t(v >> (4 * i) & 0xF);
        return 2;
    }
    case 0x05:
    case 0x85:
        setArea(in, at, c);
        c.eightBit = code == 0x85;
        return 6;
    case 0x06:
        c.fields = {in.number(at, 2, "the field offsets"),
                    in.number(at + 2, 2, "the field offsets")};
        return 4;
    case 0x86:
        c.fields = {in.number(at, 4, "the field offsets"),
                    in.number(at + 4, 4, "the field offsets")};
        return 8;
    case 0x83: { // 256 x Y, Cr, Cb
        const auto p = in.bytes(at, 768, "the palette");
        for (size_t i = 0; i < 256; ++i)
            out.palette[i] = {p[3 * i], p[3 * i + 1], p[3 * i + 2], out.palette[i].alpha};
        c.palette = true;
        return 768;
    }
    case 0x84: { // 256 contrasts: alpha = 255 - contrast
        const auto p = in.bytes(at, 256, "the contrast");
        std::array<uint8_t, 256> alpha{};
        for (size_t i = 0; i < 256; ++i)
            alpha[i] = uint8_t(255 - p[i]);
        sequence.contrast = true;
        // Once shown, a new contrast is a fade step; before, it sets the colours' alpha.
        if (c.start && *c.start < sequence.delay) {
            out.fades.push_back({sequence.delay, alpha});
        } else {
            for (size_t i = 0; i < 256; ++i)
                out.palette[i].alpha = alpha[i];
        }
        return 256;
    }
    case 0x87: // colour and contrast change: its size counts from its own first byte
        return std::max<size_t>(2, in.number(at, 2, "a colour change"));
    default:
        throw SubpictureError("its control table holds an unknown command");
    }
}

// Runs the control sequences from the table's offset to the last, which points to itself.
DisplayControls runControlTable(const UnitReader& in, const Form& form, size_t table,
                                Subpicture& out) {
    DisplayControls c;
    size_t at = table;
    for (int count = 0;; ++count) {
        if (count == MaxSequences) throw SubpictureError("its control table loops");
        SequenceState sequence{int64_t(in.number(at, 2, "a control sequence")) * TicksPerStm};
        const size_t next = in.number(at + 2, form.offsetBytes, "a control sequence");
        size_t pos = at + 2 + form.offsetBytes;
        for (uint8_t code; (code = uint8_t(in.number(pos, 1, "a control sequence"))) != 0xFF;) {
            pos += 1 + runCommand(code, in, pos + 1, sequence, c, out);
            ++sequence.commands;
        }
        if (next == at) return c;
        if (next < at) throw SubpictureError("its control table loops");
        at = next;
    }
}

// The field's bytes: from its offset to the next of the other field, the control table and
// the unit's end.
std::span<const uint8_t> fieldBytes(const UnitReader& in, size_t start, size_t other,
                                    size_t table) {
    size_t end = in.size();
    for (size_t limit : {other, table})
        if (limit > start) end = std::min(end, limit);
    if (start >= end) throw SubpictureError("a field lies outside the unit");
    return in.bytes(start, end - start, "a field");
}

void greyPalette(const DisplayControls& c, Subpicture& out) {
    // The palette lives outside the stream: the colour's number stands for its brightness.
    for (size_t i = 0; i < 4; ++i)
        out.palette[i] = {uint8_t(16 + c.dvdColours[i] * 219 / 15), 128, 128,
                          uint8_t(c.dvdContrast[i] * 17)};
}

} // namespace

void parseSubpicture(std::span<const uint8_t> unit, Subpicture& out) {
    const UnitReader in(unit);
    const Form& form = in.number(0, 2, "the unit's header") == 0 ? HdForm : DvdForm;
    const size_t sizeAt = form.hd ? 2 : 0;
    const size_t size = in.number(sizeAt, form.offsetBytes, "the unit's header");
    if (size != unit.size()) throw SubpictureError("its size is not that of the unit");
    const size_t table =
        in.number(sizeAt + form.offsetBytes, form.offsetBytes, "the unit's header");
    if (table < form.headerBytes || table >= size)
        throw SubpictureError("its control table lies outside the unit");

    // Only the room of the bitmap's runs is kept: fresh room for each unit of a stream costs
    // fresh pages.
    std::vector<PixelRun> runs = std::move(out.runs);
    std::vector<uint32_t> lineEnds = std::move(out.lineEnds);
    runs.clear();
    lineEnds.clear();
    out = Subpicture{};
    out.runs = std::move(runs);
    out.lineEnds = std::move(lineEnds);
    out.dvdForm = !form.hd;
    const DisplayControls c = runControlTable(in, form, table, out);
    if (!c.start) throw SubpictureError("it is never shown");
    // Sequences need not come in time order: a stop may lie before the start.
    if (c.end && *c.end <= *c.start) throw SubpictureError("it ends before it is shown");
    if (!c.area || !c.fields) throw SubpictureError("it has no area or no fields");
    if (form.hd && (!c.palette || !c.eightBit))
        throw SubpictureError("it has no palette or no 8-bit area");
    const auto [x1, x2, y1, y2] = *c.area;
    if (x2 < x1 || y2 < y1) throw SubpictureError("its area is empty");
    if (x2 >= (form.hd ? HdPlaneWidth : DvdPlaneWidth) ||
        y2 >= (form.hd ? HdPlaneHeight : DvdPlaneHeight))
        throw SubpictureError("its area lies outside the picture");
    out.start = *c.start;
    out.end = c.end;
    out.forced = c.forced;
    out.x = x1;
    out.y = y1;
    out.width = x2 - x1 + 1;
    out.height = y2 - y1 + 1;
    if (!form.hd) greyPalette(c, out);
    std::erase_if(out.fades, [&](const FadeStep& f) { return out.end && f.delay >= *out.end; });

    const auto [top, bottom] = *c.fields;
    const RleCoding coding = form.hd ? RleCoding::Hd8Bit : RleCoding::Dvd2Bit;
    // Line 0 from the top field, line 1 from the bottom one, and so on.
    std::array<std::optional<FieldReader>, 2> fields;
    fields[0].emplace(fieldBytes(in, top, bottom, table), coding);
    if (out.height > 1) fields[1].emplace(fieldBytes(in, bottom, top, table), coding);
    out.lineEnds.reserve(size_t(out.height));
    // A run's code takes at least half a byte.
    out.runs.reserve(std::min(in.size() * 2, size_t(out.width) * size_t(out.height)));
    for (int row = 0; row < out.height; ++row) {
        if (!fields[size_t(row % 2)]->readLine(out.width, out.runs))
            throw SubpictureError("its pixels run past their field");
        out.lineEnds.push_back(uint32_t(out.runs.size()));
    }
}

Subpicture parseSubpicture(std::span<const uint8_t> unit) {
    Subpicture out;
    parseSubpicture(unit, out);
    return out;
}

} // namespace splitwick
