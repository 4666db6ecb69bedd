// A subpicture stream of any bytes, as the mux converts it: payload runs joined into units, each
// written as PGS display sets and cut into the sets a Matroska block holds. Every set is well
// formed: a composition, then a window, palette and object segments as it needs them, then its
// end; each segment's size is what its fields say; windows and objects lie within the canvas and
// every object within its window; sets come in time order.
//
// Input: records of a flags byte, a size byte and that many payload bytes, each one packet's run.
//   bit 0      the run goes on from the packet before (no timestamp of its own)
//   bit 1      the packet carries no PTS
//   bits 2-7   the PTS step from the packet before: tenths of a second, less 1.6 s (so back
//              in time too)
// The title's clock is settled at the first record's PTS, or, when the first flags byte has its
// bit 7 set, only at the end of the part.
#include <optional>
#include <span>

#include "engine/pgs_stream_file.h"
#include "fuzz_check.h"
#include "mux/pgs_display_sets.h"
#include "support/recording_events.h"

using namespace splitwick;
using splitwick::fuzz::require;

namespace {

enum : uint8_t {
    Palette = 0x14,
    Object = 0x15,
    Composition = 0x16,
    Window = 0x17,
    End = 0x80,
};

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};

uint32_t be(std::span<const uint8_t> bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = value << 8 | bytes[at + i];
    return value;
}

// The rank of each segment type in a set; a set's segments come in rising rank, objects may
// repeat.
int rankOf(uint8_t type) {
    switch (type) {
    case Composition:
        return 0;
    case Window:
        return 1;
    case Palette:
        return 2;
    case Object:
        return 3;
    case End:
        return 4;
    default:
        return -1;
    }
}

bool within(const Area& inner, const Area& outer) {
    return inner.width > 0 && inner.height > 0 && inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// What the sets of a stream must keep from one to the next.
class SetChecker {
  public:
    void check(int64_t pts, std::span<const uint8_t> set) {
        require(!lastPts_ || pts >= *lastPts_, "display sets in time order");
        lastPts_ = pts;
        int rank = -1;
        std::optional<Area> placed; // the composition's object
        std::optional<Area> window;
        size_t at = 0;
        uint8_t type = 0;
        while (at < set.size()) {
            require(at + 3 <= set.size(), "a segment header within the set");
            type = set[at];
            const size_t size = be(set, at + 1, 2);
            require(at + 3 + size <= set.size(), "a segment within the set");
            const std::span<const uint8_t> body = set.subspan(at + 3, size);
            const int next = rankOf(type);
            require(next >= 0, "a known segment type");
            require(at == 0 ? next == 0 : next > rank || (next == 3 && rank == 3),
                    "segments in the order composition, window, palette, object, end");
            rank = next;
            if (type == Composition) placed = composition(body);
            if (type == Window) window = windows(body);
            if (type == Palette) require(size >= 2 && (size - 2) % 5 == 0, "palette entries");
            if (type == Object) object(body, placed.has_value());
            if (type == End) require(size == 0, "an empty end segment");
            at += 3 + size;
        }
        require(type == End, "the set ends with its end segment");
        if (window) window_ = *window;
        if (!placed) return;
        // A set without object data shows the object its epoch began with.
        require(objectSize_.has_value(), "an object shown after its data");
        placed->width = objectSize_->width;
        placed->height = objectSize_->height;
        require(within(*placed, canvas_), "the object within the canvas");
        require(window_ && within(*placed, *window_), "the object within its window");
    }

  private:
    // Where the composition places its object, if it shows one.
    std::optional<Area> composition(std::span<const uint8_t> body) {
        require(body.size() >= 11, "a composition's fields");
        canvas_ = {0, 0, int(be(body, 0, 2)), int(be(body, 2, 2))};
        const size_t objects = body[10];
        require(objects <= 1 && body.size() == 11 + 8 * objects, "a composition's size");
        if (objects == 0) return std::nullopt;
        require(!(body[14] & 0x80), "no cropping");
        return Area{int(be(body, 15, 2)), int(be(body, 17, 2)), 0, 0};
    }

    Area windows(std::span<const uint8_t> body) {
        require(body.size() == 1 + 9 && body[0] == 1, "one window");
        const Area window{int(be(body, 2, 2)), int(be(body, 4, 2)), int(be(body, 6, 2)),
                          int(be(body, 8, 2))};
        require(within(window, canvas_), "the window within the canvas");
        return window;
    }

    void object(std::span<const uint8_t> body, bool placed) {
        require(body.size() >= 4 && placed, "an object fragment of a placed object");
        const bool first = body[3] & 0x80, last = body[3] & 0x40;
        if (first) {
            require(!fragments_, "an object begins after the last one ended");
            require(body.size() >= 11, "an object's first fields");
            objectLeft_ = be(body, 4, 3);
            objectSize_ = Area{0, 0, int(be(body, 7, 2)), int(be(body, 9, 2))};
            fragments_ = true;
        }
        require(fragments_, "an object's later fragment after its first");
        const size_t data = body.size() - 4 - (first ? 3 : 0);
        require(data <= objectLeft_, "object fragments no longer than its data length");
        objectLeft_ -= uint32_t(data);
        if (last) {
            require(objectLeft_ == 0, "object fragments as long as its data length");
            fragments_ = false;
        }
    }

    std::optional<int64_t> lastPts_;
    Area canvas_;
    std::optional<Area> window_;
    std::optional<Area> objectSize_; // of the epoch's object, from its first fragment
    bool fragments_ = false;
    uint32_t objectLeft_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetChecker checker;
    PgsDisplaySets sets(
        [&](int64_t pts, std::span<const uint8_t> set) { checker.check(pts, set); });
    testing::RecordingEvents events;
    PgsStreamFile stream(sets, "Subpicture stream 0");
    TitleClock clock;
    const bool settleLate = size > 0 && data[0] & 0x80;
    int64_t pts = 90000;
    for (size_t at = 0; at + 2 <= size;) {
        const uint8_t flags = data[at];
        const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
        pts += (int64_t(flags >> 2) - 16) * 9000;
        const bool continues = at > 0 && (flags & 1);
        const int64_t runPts = continues || (flags & 2) ? NoTimestamp : pts;
        if (!settleLate && !clock.settled() && runPts != NoTimestamp) clock.settle(runPts);
        uint32_t pending = runPts == NoTimestamp ? 0 : uint32_t(runPts);
        stream.payload({PacketKind::Subpicture, data + at + 2, length, nullptr, pending, runPts,
                        runPts, continues},
                       clock, events);
        at += 2 + length;
    }
    stream.endPart(clock, events);
    stream.store();
    return 0;
}
