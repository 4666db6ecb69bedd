#include "frame_counter.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace splitwick {

namespace {

constexpr std::array<uint8_t, 3> FrameStartCode = {0x00, 0x09, 0x0D}; // by VideoCodec

// Whether 00 00 01 last stands with its 0x01 at offset at; 2 <= at <= length - 2.
bool startCodeAt(const uint8_t* data, size_t at, uint8_t last) {
    return data[at] == 0x01 && data[at - 1] == 0 && data[at - 2] == 0 && data[at + 1] == last;
}

// Offsets from at to end (the 0x01's place), one at a time.
int64_t countFrom(const uint8_t* data, size_t at, size_t end, uint8_t last) {
    int64_t count = 0;
    for (; at < end; ++at)
        count += startCodeAt(data, at, last);
    return count;
}

#if defined(__x86_64__)
// Thirty-two offsets at a time, keeping those where 00 01 stands: in coded video that is hardly
// anywhere but at start codes, so the few left are looked at one by one.
__attribute__((target("avx2"))) int64_t countWide(const uint8_t* data, size_t end, uint8_t last) {
    const __m256i ones = _mm256_set1_epi8(1);
    const __m256i zeros = _mm256_setzero_si256();
    int64_t count = 0;
    size_t at = 2;
    for (; at + 32 <= end; at += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at - 1));
        auto hits = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(here, ones), _mm256_cmpeq_epi8(before, zeros))));
        for (; hits != 0; hits &= hits - 1)
            count += startCodeAt(data, at + size_t(std::countr_zero(hits)), last);
    }
    return count + countFrom(data, at, end, last);
}

const bool HasAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

int64_t countFrames(const uint8_t* data, size_t length, VideoCodec codec) {
    if (length < 4) return 0;
    const uint8_t last = FrameStartCode[static_cast<int>(codec)];
    const size_t end = length - 1;
#if defined(__x86_64__)
    if (HasAvx2) return countWide(data, end, last);
#endif
    return countFrom(data, 2, end, last);
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
