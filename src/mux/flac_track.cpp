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
      encoder_(format, level,
               [this](const FlacFrame& flac) {
                   const std::lock_guard lock(mutex_);
                   made_.push_back(flac);
               }),
      thread_([this] { encode(); }) {}

FlacTrack::~FlacTrack() {
    {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    for (FlacFrame& frame : made_)
        av_packet_free(&frame.packet);
}

void FlacTrack::samples(std::span<const uint8_t> samples, int part, std::optional<int64_t> pts) {
    part_ = part;
    if (pts) marks_.push_back({samplesIn_, part, *pts});
    samplesIn_ += int64_t(samples.size() / frameBytes_);
    std::unique_lock lock(mutex_);
    // Memory holds a little of the stream only: the pass waits for the encoder.
    changed_.wait(lock, [this] { return waitingBytes_ < MaxWaiting || failure_; });
    waiting_.emplace_back(samples.begin(), samples.end());
    waitingBytes_ += samples.size();
    changed_.notify_all();
    handOut(lock);
}

void FlacTrack::finish() {
    std::unique_lock lock(mutex_);
    ended_ = true;
    changed_.notify_all();
    lock.unlock();
    thread_.join();
    lock.lock();
    handOut(lock);
}

void FlacTrack::encode() {
    try {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !waiting_.empty() || ended_; });
            if (waiting_.empty()) break;
            const std::vector<uint8_t> samples = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            encoder_.encode(samples);
            lock.lock();
            waitingBytes_ -= samples.size();
            changed_.notify_all();
        }
        encoder_.finish();
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        changed_.notify_all();
    }
}

void FlacTrack::handOut(std::unique_lock<std::mutex>& lock) {
    if (failure_) std::rethrow_exception(failure_);
    std::deque<FlacFrame> made = std::move(made_);
    made_.clear();
    lock.unlock();
    try {
        for (; !made.empty(); made.pop_front())
            frame(made.front());
    } catch (...) {
        // The receiver took the frame it failed on (the file cannot be written); the rest go.
        made.pop_front();
        for (FlacFrame& flac : made)
            av_packet_free(&flac.packet);
        throw;
    }
}

void FlacTrack::frame(const FlacFrame& flac) {
    while (marks_.size() > 1 && marks_[1].sample <= flac.firstSample)
        marks_.pop_front();
    Frame made{flac.packet, part_, std::nullopt, flac.samples};
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
