#include "dts_frames.h"

#include <algorithm>
#include <cstring>

namespace splitwick {

namespace {

constexpr uint8_t CoreSync[4] = {0x7F, 0xFE, 0x80, 0x01};
constexpr uint8_t SubstreamSync[4] = {0x64, 0x58, 0x20, 0x25};
// A core frame is at least 96 bytes; a substream's header alone a dozen.
constexpr size_t SmallestCore = 96;
constexpr size_t SmallestSubstream = 16;

// The parser's sync for a 16-bit big-endian core: the sync word, then a normal frame (FTYPE)
// of 31 samples a block (SHORT), bits of the frame header's first byte.
bool coreSyncAt(const uint8_t* bytes) {
    return std::memcmp(bytes, CoreSync, 4) == 0 && (bytes[4] & 0xFC) == 0xFC;
}

// FSIZE: the core frame's length less one, 14 bits after NBLKS.
size_t coreLength(const uint8_t* bytes) {
    return (size_t(bytes[5] & 3) << 12 | size_t(bytes[6]) << 4 | bytes[7] >> 4) + 1;
}

// nuExtSSFsize: the substream's length less one, 16 or 20 bits (bHeaderSizeType) after
// UserDefinedBits, nExtSSIndex and nuExtSSHeaderSize.
size_t substreamLength(const uint8_t* bytes) {
    uint64_t header = 0;
    for (int i = 4; i < 10; ++i)
        header = header << 8 | bytes[i];
    const bool longHeader = bytes[5] & 0x20;
    return (longHeader ? (header >> 5 & 0xFFFFF) : (header >> 13 & 0xFFFF)) + 1;
}

} // namespace

bool DtsFrames::feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts,
                     const Receiver& frame) {
    if (left_) return false;
    if (length == 0) return true;
    const Stamps stamps{pts, dts};
    stamps_.add(received_, received_ + int64_t(length), stamps);
    if (received_ == 0) frameStamps_ = stampsAt(0, 0, true);
    runs_.push_back({received_, length, stamps});
    received_ += int64_t(length);
    // A frame begun in earlier runs takes from this one only the bytes it still wants; the
    // frames after it are cut from the run itself, and only an unfinished one is copied.
    size_t from = 0, frameBytes = 0;
    while (!held_.empty()) {
        const Length known = frameLength(held_.data(), held_.size(), frameBytes);
        if (known == Length::Left || (known == Length::Wanting && from == length)) {
            held_.append(data + from, length - from);
            left_ = known == Length::Left;
            return !left_;
        }
        if (known == Length::Wanting) {
            const size_t taken = std::min(length - from, frameBytes - held_.size());
            held_.append(data + from, taken);
            from += taken;
            continue;
        }
        cutFront(held_.takeFront(frameBytes), frame);
        // The bytes held after the frame that came from this run are cut from the run itself.
        const size_t after = held_.size();
        if (after <= from) {
            from -= after;
            held_.clear();
        }
    }
    Length known;
    while ((known = frameLength(data + from, length - from, frameBytes)) == Length::Known) {
        cutFront(packets_.packetOf(data + from, frameBytes), frame);
        from += frameBytes;
    }
    held_.clear();
    held_.append(data + from, length - from);
    left_ = known == Length::Left;
    return !left_;
}

void DtsFrames::cutFront(AVPacket* packet, const Receiver& frame) {
    const int64_t length = packet->size;
    frame(packet, frameStamps_.pts, frameStamps_.dts);
    const int64_t before = frameStart_;
    frameStart_ += length;
    // The parser sees a frame end once the next core sync's sixth byte is in: it then looks
    // its stamps up from there, or from the start of the run that byte came in.
    frameStamps_ = stampsAt(std::max(frameStart_, runStartHolding(frameStart_ + 5)), before, false);
    while (runs_.size() > 1 && runs_[1].offset <= frameStart_)
        runs_.pop_front();
}

DtsFrames::Length DtsFrames::frameLength(const uint8_t* bytes, size_t held, size_t& length) {
    // Wanting: `length` is how many bytes it takes to tell.
    const auto wanting = [&length](size_t bytes) {
        length = bytes;
        return Length::Wanting;
    };
    if (held < 8) return wanting(8);
    if (!coreSyncAt(bytes)) return Length::Left;
    const size_t core = coreLength(bytes);
    if (core < SmallestCore) return Length::Left;
    // Each frame is cut as soon as the next one's sync is in, as the parser cuts it.
    if (held < core + 4) return wanting(core + 4);
    size_t substream = 0;
    if (std::memcmp(bytes + core, SubstreamSync, 4) == 0) {
        if (held < core + 10) return wanting(core + 10);
        substream = substreamLength(bytes + core);
        if (substream < SmallestSubstream) return Length::Left;
    }
    if (held < core + substream + 6) return wanting(core + substream + 6);
    length = core + substream;
    return coreSyncAt(bytes + length) ? Length::Known : Length::Left;
}

void DtsFrames::finish(const Receiver& frame) {
    if (left_ || held_.empty()) return;
    frame(held_.takeFront(held_.size()), frameStamps_.pts, frameStamps_.dts);
}

std::vector<DtsFrames::Run> DtsFrames::rest() const {
    std::vector<Run> runs;
    int64_t at = frameStart_;
    for (const Held& run : runs_) {
        const int64_t end = run.offset + int64_t(run.length);
        if (end <= at) continue;
        const uint8_t* from = held_.data() + (at - frameStart_);
        const Stamps stamps = runs.empty() ? frameStamps_ : run.stamps;
        runs.push_back({std::vector<uint8_t>(from, from + (end - at)), stamps.pts, stamps.dts});
        at = end;
    }
    return runs;
}

DtsFrames::Stamps DtsFrames::stampsAt(int64_t at, int64_t before, bool first) {
    Stamps found{};
    stamps_.lookUp(at, before, first, ParserStamps::Lookup::Plain, found);
    return found;
}

int64_t DtsFrames::runStartHolding(int64_t offset) const {
    for (auto run = runs_.rbegin(); run != runs_.rend(); ++run)
        if (run->offset <= offset) return run->offset;
    return frameStart_;
}

} // namespace splitwick
