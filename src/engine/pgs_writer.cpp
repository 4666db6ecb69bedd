#include "pgs_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace splitwick {

namespace {

enum SegmentType : uint8_t {
    PaletteSegment = 0x14,
    ObjectSegment = 0x15,
    CompositionSegment = 0x16,
    WindowSegment = 0x17,
    EndSegment = 0x80,
};

constexpr size_t MaxSegmentBody = 0xFFFF;
constexpr size_t ObjectHeadBytes = 4;      // object_id, object_version, sequence flags
constexpr size_t ObjectFirstExtra = 3 + 4; // object_data_length, width, height
constexpr uint8_t EpochStart = 0x80;
constexpr uint8_t PaletteUpdate = 0x80;
constexpr uint8_t ForcedObject = 0x40;
constexpr uint8_t FirstInSequence = 0x80, LastInSequence = 0x40;
constexpr uint8_t FrameRate = 0x10; // the field has one value in use
// Entry 255 shows nothing in this stream; a colour that uses it moves.
constexpr uint8_t TransparentEntry = 255;

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

// One run's code at `out`, which has room for 4 bytes; returns where the next goes. Colours
// 1-255 one or two pixels long as those bytes, else 00, flags and length (6 or 14 bits), and the
// colour unless 0. All four bytes are worked out and stored, and only the code's own kept: run
// after run of a bitmap, no branch could guess which kind comes next.
uint8_t* putRun(uint8_t* out, uint8_t colour, int length) {
    const bool coloured = colour != 0;
    const bool asBytes = coloured && length <= 2;
    const bool wide = length > 63;
    const int flags = (coloured ? 0x80 : 0) | (wide ? 0x40 : 0);
    const uint8_t code[4] = {
        uint8_t(asBytes ? colour : 0),
        uint8_t(asBytes ? colour : flags | (wide ? length >> 8 : length)),
        uint8_t(wide ? length : colour),
        colour,
    };
    std::memcpy(out, code, sizeof code);
    return out + (asBytes ? length : 2 + int(wide) + int(coloured));
}

// The entry that stands for entry 255: one the bitmap leaves unused, else the nearest colour.
uint8_t entryFor255(const Subpicture& p, const std::array<bool, 256>& used) {
    for (int i = 254; i >= 0; --i)
        if (!used[size_t(i)]) return uint8_t(i);
    const auto distance = [&](size_t i) {
        const SubpictureColour &a = p.palette[i], &b = p.palette[TransparentEntry];
        const auto d = [](int u, int v) { return (u - v) * (u - v); };
        return d(a.y, b.y) + d(a.cr, b.cr) + d(a.cb, b.cb) + d(a.alpha, b.alpha);
    };
    size_t best = 0;
    for (size_t i = 1; i < TransparentEntry; ++i)
        if (distance(i) < distance(best)) best = i;
    return uint8_t(best);
}

// The entries the bitmap uses, entry 255 counted where it moves to.
struct Mapped {
    std::array<bool, 256> used{};
    std::optional<uint8_t> moved; // where entry 255 went
    uint8_t colour(uint8_t c) const { return c == TransparentEntry && moved ? *moved : c; }
};

Mapped mapColours(const Subpicture& p) {
    Mapped m;
    for (const PixelRun& run : p.runs)
        m.used[run.colour] = true;
    if (!m.used[TransparentEntry]) return m;
    m.moved = entryFor255(p, m.used);
    m.used[TransparentEntry] = false;
    m.used[*m.moved] = true;
    return m;
}

// The palette segment's body: the used entries, Y, Cr, Cb copied, with these alphas.
std::vector<uint8_t> paletteBody(uint8_t version, const Subpicture& p, const Mapped& m,
                                 const std::array<uint8_t, 256>& alpha) {
    std::vector<uint8_t> body{0, version};
    for (size_t i = 0; i < 256; ++i) {
        if (!m.used[i]) continue;
        const size_t from = m.moved && i == *m.moved ? TransparentEntry : i;
        const SubpictureColour& c = p.palette[from];
        body.insert(body.end(), {uint8_t(i), c.y, c.cr, c.cb, alpha[from]});
    }
    return body;
}

std::array<uint8_t, 256> alphasOf(const Subpicture& p) {
    std::array<uint8_t, 256> alpha{};
    for (size_t i = 0; i < 256; ++i)
        alpha[i] = p.palette[i].alpha;
    return alpha;
}

// The object's pixels in the stream's RLE: per line, colours 1-255 as bytes where that is
// shortest, else 00 and a run code, and 00 00 at the line's end. Runs of one colour after the
// move of entry 255 are joined; a line is at most 4096 wide, within a code's 14 bits.
void pgsRle(const Subpicture& p, const Mapped& m, std::vector<uint8_t>& rle) {
    // Every run takes at most 4 bytes, every line 2 more: room is made once, written through.
    rle.resize(p.runs.size() * 4 + p.lineEnds.size() * 2);
    uint8_t* out = rle.data();
    const PixelRun* run = p.runs.data();
    for (const uint32_t end : p.lineEnds) {
        const PixelRun* const lineEnd = p.runs.data() + end;
        while (run != lineEnd) {
            const uint8_t colour = m.colour(run->colour);
            int length = run->length;
            for (++run; run != lineEnd && m.colour(run->colour) == colour; ++run)
                length += run->length;
            out = putRun(out, colour, length);
        }
        *out++ = 0;
        *out++ = 0;
    }
    rle.resize(size_t(out - rle.data()));
}

} // namespace

void PgsWriter::segment(int64_t time, uint8_t type, const std::vector<uint8_t>& body,
                        std::span<const uint8_t> data) {
    const uint32_t pts = uint32_t(time);
    const size_t size = body.size() + data.size();
    // PTS, then a DTS of 0, which players take as "decode when presented".
    const uint8_t head[] = {
        'P', 'G',  uint8_t(pts >> 24), uint8_t(pts >> 16), uint8_t(pts >> 8), uint8_t(pts), 0, 0, 0,
        0,   type, uint8_t(size >> 8), uint8_t(size)};
    out_.write(head, sizeof head);
    out_.write(body.data(), body.size());
    out_.write(data.data(), data.size());
}

std::vector<uint8_t> PgsWriter::composition(bool epochStart, bool paletteUpdate,
                                            bool withObject) const {
    std::vector<uint8_t> body;
    put16(body, uint32_t(canvasWidth_));
    put16(body, uint32_t(canvasHeight_));
    body.push_back(FrameRate);
    put16(body, compositionNumber_);
    body.insert(body.end(),
                {uint8_t(epochStart ? EpochStart : 0), uint8_t(paletteUpdate ? PaletteUpdate : 0),
                 0, uint8_t(withObject ? 1 : 0)});
    if (withObject) {
        put16(body, 0); // object_id
        body.insert(body.end(), {0, uint8_t(forced_ ? ForcedObject : 0)});
        put16(body, uint32_t(x_));
        put16(body, uint32_t(y_));
    }
    return body;
}

void PgsWriter::writeTail(int64_t before) {
    while (!tail_.empty() && tail_.front().time < before) {
        const Update& u = tail_.front();
        ++compositionNumber_;
        const bool clearing = u.palette.empty();
        segment(u.time, CompositionSegment, composition(false, !clearing, !clearing));
        if (clearing) {
            std::vector<uint8_t> window{1, 0};
            for (int v : {x_, y_, width_, height_})
                put16(window, uint32_t(v));
            segment(u.time, WindowSegment, window);
        } else {
            segment(u.time, PaletteSegment, u.palette);
        }
        segment(u.time, EndSegment, {});
        tail_.pop_front();
    }
    // A later subpicture takes the screen: what this one had still to do is void.
    tail_.clear();
}

void PgsWriter::add(const Subpicture& p, int64_t at) {
    const int64_t start = at + p.start;
    writeTail(start);
    // The subpicture plane of HD DVD; DVD-form units keep their own picture size.
    const bool tall = p.y + p.height > DvdShortPlaneHeight;
    canvasWidth_ = p.dvdForm ? DvdPlaneWidth : HdPlaneWidth;
    canvasHeight_ = p.dvdForm ? (tall ? DvdPlaneHeight : DvdShortPlaneHeight) : HdPlaneHeight;
    x_ = p.x;
    y_ = p.y;
    width_ = p.width;
    height_ = p.height;
    forced_ = p.forced;
    ++compositionNumber_;
    paletteVersion_ = 0;

    const Mapped mapped = mapColours(p);
    segment(start, CompositionSegment, composition(true, false, true));
    std::vector<uint8_t> window{1, 0};
    for (int v : {x_, y_, width_, height_})
        put16(window, uint32_t(v));
    segment(start, WindowSegment, window);
    segment(start, PaletteSegment, paletteBody(paletteVersion_, p, mapped, alphasOf(p)));

    std::vector<uint8_t>& rle = rle_;
    pgsRle(p, mapped, rle);
    const size_t dataLength = rle.size() + 4; // width and height count
    size_t done = 0;
    for (bool first = true; first || done < rle.size(); first = false) {
        const size_t room = MaxSegmentBody - ObjectHeadBytes - (first ? ObjectFirstExtra : 0);
        const size_t take = std::min(room, rle.size() - done);
        const bool last = done + take == rle.size();
        std::vector<uint8_t> body{
            0, 0, 0, uint8_t((first ? FirstInSequence : 0) | (last ? LastInSequence : 0))};
        if (first) {
            body.push_back(uint8_t(dataLength >> 16));
            put16(body, uint32_t(dataLength));
            put16(body, uint32_t(p.width));
            put16(body, uint32_t(p.height));
        }
        segment(start, ObjectSegment, body, std::span(rle).subspan(done, take));
        done += take;
    }
    segment(start, EndSegment, {});

    for (const FadeStep& fade : p.fades)
        tail_.push_back({at + fade.delay, paletteBody(++paletteVersion_, p, mapped, fade.alpha)});
    if (p.end) tail_.push_back({at + *p.end, {}});
    // Each sequence has its own delay from the PTS: they need not come in time order.
    std::stable_sort(tail_.begin(), tail_.end(),
                     [](const Update& a, const Update& b) { return a.time < b.time; });
}

} // namespace splitwick
