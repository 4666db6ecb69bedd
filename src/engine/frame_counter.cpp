#include "frame_counter.h"

#include <algorithm>
#include <array>

#include "start_codes.h"

namespace splitwick {

namespace {

constexpr std::array<uint8_t, 3> FrameStartCode = {0x00, 0x09, 0x0D}; // by VideoCodec

} // namespace

int64_t countFrames(const uint8_t* data, size_t length, VideoCodec codec) {
    if (length < 4) return 0;
    const uint8_t last = FrameStartCode[static_cast<int>(codec)];
    // The code's last byte must lie in the run too.
    const size_t end = length - 1;
    int64_t count = 0;
    for (size_t at = nextStartCodePrefix(data, 2, end); at < end;
         at = nextStartCodePrefix(data, at + 1, end))
        count += data[at + 1] == last;
    return count;
}

int64_t PacketFrameCounter::count(const uint8_t* data, size_t length, VideoCodec codec,
                                  bool continuesPacket) {
    if (!continuesPacket) tailLength_ = 0;
    // The codes that begin in the tail and end in this run lie in its last three bytes and the
    // run's first three; none fits wholly in either part.
    std::array<uint8_t, 6> joined{};
    const size_t head = std::min<size_t>(length, 3);
    std::copy_n(tail_.begin(), tailLength_, joined.begin());
    std::copy_n(data, head, joined.begin() + tailLength_);
    const int64_t frames =
        countFrames(joined.data(), tailLength_ + head, codec) + countFrames(data, length, codec);
    // The new tail: the last three bytes of the payload so far.
    const bool longRun = length > 3;
    const uint8_t* const end = longRun ? data + length : joined.data() + tailLength_ + head;
    tailLength_ = longRun ? 3 : std::min<size_t>(tailLength_ + head, 3);
    std::copy_n(end - tailLength_, tailLength_, tail_.begin());
    return frames;
}

void FrameTally::payload(PayloadRun& run) {
    if (run.kind != PacketKind::Video) return;
    const int number = run.track->number();
    const bool every = countFrames_ && everyStream_ != nullptr;
    const bool written =
        countFrames_ && written_ != nullptr && (*writtenTracks_)[size_t(run.track->id.key())];
    if (!every && !written) {
        counter_.forget();
        return;
    }
    const int64_t frames =
        counter_.count(run.data, run.length, run.track->codec->video, run.continuesPacket);
    if (every) (*everyStream_)[size_t(number)] += frames;
    if (written) (*written_)[size_t(number)] += frames;
}

} // namespace splitwick
