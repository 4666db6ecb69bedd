#include "mpeg2_frames.h"

#include <algorithm>

#include "engine/start_codes.h"

namespace splitwick {

namespace {

constexpr uint8_t PictureStart = 0x00;
constexpr uint8_t SequenceHeader = 0xB3;
constexpr uint8_t Extension = 0xB5;
constexpr uint8_t SequenceEnd = 0xB7;

bool isSlice(uint8_t code) {
    return code >= 0x01 && code <= 0xAF;
}

// Where the frame's cutting stands. An extension start code makes the phase odd for the three
// bytes that tell whether it is a picture coding extension and of which picture structure.
enum Phase : int {
    LookingForSlices = 0,
    SecondField = 2, // a field picture came: its pair's slices belong to the same frame
    InSlices = 4,    // the next start code that is not a slice's ends the frame
};

// Many times the largest picture a decoder's buffer holds (MP@HL: 9.8 Mbit).
constexpr size_t MostHeldBytes = 16 * 1024 * 1024;

} // namespace

Mpeg2Frames::Mpeg2Frames(int64_t none, PacketPool& packets)
    : packets_(packets), stamps_(none), frameStamps_(stamps_.none()), held_(packets) {
    // The parser begins as if zeros came before the stream.
    prefixesFrom_ = -int64_t(recent_.size());
}

void Mpeg2Frames::feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts,
                       const Receiver& frame) {
    if (length == 0) return;
    const Run run{data, length, received_};
    stamps_.add(run.start, run.start + int64_t(length), {pts, dts});
    callStart_ = run.start;
    if (lookUpPending_) beginCall(callStart_);
    for (size_t at = 0; at < length;) {
        if (phase_ % 2 == 1) {
            takeExtensionByte(data[at], run.start + int64_t(at));
            ++at;
            continue;
        }
        const size_t code = nextCode(run, at);
        if (code == length) break;
        takeCode(run, code, frame);
        at = code + 1;
    }
    const int64_t keepFrom = std::max({frameStart_, heldFrom_, run.start});
    held_.append(data + (keepFrom - run.start), size_t(run.start + int64_t(length) - keepFrom));
    // Damage that hides every frame's end would hold the rest of the title; the parser lets go
    // of what it holds when it cannot hold more, and so does this, far sooner.
    if (held_.size() > MostHeldBytes) {
        held_.clear();
        heldFrom_ = run.start + int64_t(length);
    }
    for (size_t i = 0; i < recent_.size(); ++i)
        recent_[i] = byteAt(run, run.start + int64_t(length) - int64_t(recent_.size() - i));
    received_ += int64_t(length);
}

void Mpeg2Frames::finish(const Receiver& frame) {
    if (held_.empty()) return;
    frame(held_.takeFront(held_.size()), frameStamps_.pts, frameStamps_.dts);
}

uint8_t Mpeg2Frames::byteAt(const Run& run, int64_t at) const {
    return at >= run.start ? run.data[at - run.start] : recent_[size_t(at - run.start + 3)];
}

size_t Mpeg2Frames::nextCode(const Run& run, size_t from) const {
    const auto prefixAt = [&](int64_t at) {
        return at >= prefixesFrom_ && byteAt(run, at) == 0 && byteAt(run, at + 1) == 0 &&
               byteAt(run, at + 2) == 1;
    };
    // A code whose prefix begins before the run has its code byte among the run's first three.
    const size_t joined = std::min<size_t>(3, run.length);
    for (size_t at = from; at < joined; ++at)
        if (prefixAt(run.start + int64_t(at) - 3)) return at;
    // The others are searched for by their prefix's 0x01, the code byte after it in the run.
    const int64_t firstOne =
        std::max({int64_t(from) - 1, int64_t(2), prefixesFrom_ - run.start + 2});
    if (firstOne >= int64_t(run.length) - 1) return run.length;
    const size_t one = nextStartCodePrefix(run.data, size_t(firstOne), run.length - 1);
    return one < run.length - 1 ? one + 1 : run.length;
}

void Mpeg2Frames::takeCode(const Run& run, size_t at, const Receiver& frame) {
    const uint8_t code = run.data[at];
    const int64_t codeAt = run.start + int64_t(at), prefix = codeAt - 3;
    const bool slice = isSlice(code);
    prefixesFrom_ = codeAt;
    if (phase_ == LookingForSlices && slice) {
        phase_ = InSlices;
        // The parser steps over the byte after a frame's first slice code, where the same run
        // holds it.
        if (at + 1 < run.length) prefixesFrom_ = codeAt + 2;
    }
    if (code == SequenceEnd) {
        phase_ = LookingForSlices;
        prefixesFrom_ = codeAt + 1;
        cut(run, codeAt + 1, frame);
        return;
    }
    if (phase_ == SecondField && code == SequenceHeader) phase_ = LookingForSlices;
    if (phase_ < InSlices && code == Extension) {
        ++phase_;
        extensionByte_ = 0;
    }
    if (phase_ == InSlices && !slice) {
        // The code begins the next frame, which takes it from the start.
        phase_ = LookingForSlices;
        cut(run, prefix, frame);
        takeCode(run, at, frame);
        return;
    }
    if (phase_ == LookingForSlices && code == PictureStart)
        stamps_.lookUp(prefix, frameBefore_, first_,
                       prefix > callStart_ ? ParserStamps::Lookup::TakeIfDated
                                           : ParserStamps::Lookup::Take,
                       frameStamps_);
}

void Mpeg2Frames::takeExtensionByte(uint8_t byte, int64_t at) {
    // The extension's identifier, then its third byte's picture_structure (3: a frame picture).
    const int which = extensionByte_++;
    if (which == 0 && (byte & 0xF0) != 0x80)
        --phase_;
    else if (which == 2)
        phase_ = (byte & 3) == 3 ? LookingForSlices : (phase_ + 1) % 4;
    if (phase_ % 2 == 0) prefixesFrom_ = at + 1;
}

void Mpeg2Frames::cut(const Run& run, int64_t end, const Receiver& frame) {
    const ParserStamps::Stamps stamps = frameStamps_;
    // The frame's bytes are kept from its start, or from where an overlong one was let go of.
    const int64_t from = std::max(frameStart_, heldFrom_);
    if (end <= run.start) {
        // The code that ends the frame began in an earlier run: its first bytes stay.
        const size_t length = size_t(std::max<int64_t>(end - from, 0));
        if (length > 0) frame(held_.takeFront(length), stamps.pts, stamps.dts);
    } else if (held_.empty()) {
        frame(packets_.packetOf(run.data + (from - run.start), size_t(end - from)), stamps.pts,
              stamps.dts);
    } else {
        held_.append(run.data, size_t(end - run.start));
        frame(held_.takeFront(held_.size()), stamps.pts, stamps.dts);
    }
    heldFrom_ = std::max(heldFrom_, end);
    frameBefore_ = frameStart_;
    first_ = false;
    frameStart_ = end;
    callStart_ = std::max(callStart_, end);
    if (end < run.start + int64_t(run.length))
        beginCall(callStart_);
    else
        lookUpPending_ = true;
}

void Mpeg2Frames::beginCall(int64_t at) {
    stamps_.lookUp(at, frameBefore_, first_, ParserStamps::Lookup::Plain, frameStamps_);
    lookUpPending_ = false;
}

} // namespace splitwick
