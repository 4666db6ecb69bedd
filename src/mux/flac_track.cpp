#include "flac_track.h"

#include <cstdio>

#include "engine/stream_timing.h"

namespace splitwick {

namespace {

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1024 * 1024));
    return text;
}

} // namespace

FlacTrack::FlacTrack(const LpcmFormat& format, int level, Receiver receiver)
    : receiver_(std::move(receiver)), sampleRate_(format.sampleRate),
      frameBytes_(size_t(format.channels * (format.bitsPerSample > 16 ? 3 : 2))),
      encoder_(format, level, [this](const FlacFrame& flac) { frame(flac); }) {}

void FlacTrack::samples(std::span<const uint8_t> samples, int part, std::optional<int64_t> pts) {
    part_ = part;
    if (pts) marks_.push_back({samplesIn_, part, *pts});
    samplesIn_ += int64_t(samples.size() / frameBytes_);
    encoder_.encode(samples);
}

void FlacTrack::finish() {
    encoder_.finish();
}

void FlacTrack::frame(const FlacFrame& flac) {
    while (marks_.size() > 1 && marks_[1].sample <= flac.firstSample)
        marks_.pop_front();
    Frame made{flac.packet, part_, std::nullopt, flac.samples * TicksPerSecond / sampleRate_};
    if (!marks_.empty() && marks_.front().sample <= flac.firstSample) {
        const Mark& mark = marks_.front();
        const int64_t after = (flac.firstSample - mark.sample) * TicksPerSecond / sampleRate_;
        made.part = mark.part;
        made.pts = (mark.pts + after) & (PtsModulus - 1);
    }
    receiver_(made);
}

std::string FlacTrack::sizeLine(int streamNumber) const {
    const uint64_t pcm = encoder_.pcmBytes(), flac = encoder_.flacBytes();
    const uint64_t percent = pcm == 0 ? 0 : (flac * 100 + pcm / 2) / pcm;
    return "LPCM stream " + std::to_string(streamNumber) + " as FLAC: " + mebibytes(pcm) +
           " of PCM became " + mebibytes(flac) + " (" + std::to_string(percent) + " %)";
}

} // namespace splitwick
