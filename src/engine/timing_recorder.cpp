#include "timing_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace splitwick {

namespace {

// A second holds at most 60 frames of disc video; damaged timestamps may put many more packets
// in it, which are not kept.
constexpr size_t FirstSecondLimit = 1024;

} // namespace

void TimingRecorder::clear() {
    firstPts_.clear();
    stamped_.fill(false);
    video_.reset();
    videoPts_ = videoDts_ = NoTimestamp;
    inFirstSecond_ = false;
    firstSecond_.clear();
    latest_ = 0;
}

void TimingRecorder::payload(PayloadRun& run) {
    // The timestamps belong to the packet: its first run is enough.
    if (run.continuesPacket || run.pts == NoTimestamp) return;
    const Track& track = *run.track;
    if (!stamped_[size_t(track.id.key())]) {
        stamped_[size_t(track.id.key())] = true;
        firstPts_.emplace_back(track, run.pts);
    }
    // The picture is video stream 0's: the first video track of that number to come.
    if (!video_ && track.kind() == TrackKind::Video && track.number() == 0) video_ = track.id;
    if (video_ == track.id) videoTimestamps(run.pts, run.dts);
}

void TimingRecorder::videoTimestamps(int64_t pts, int64_t dts) {
    // A picture shown before its decoding, or over a second after, has a damaged stamp the
    // mux's clock retimes: its PTS neither starts nor ends the picture, and a part that began
    // with it would be placed hours from its pictures.
    const int64_t shownAfter = ptsDifference(pts, dts);
    if (shownAfter < 0 || shownAfter > TicksPerSecond) return;
    if (videoPts_ == NoTimestamp) {
        videoPts_ = pts;
        videoDts_ = dts;
        inFirstSecond_ = true;
    }
    const int64_t offset = ptsDifference(pts, videoPts_);
    latest_ = std::max(latest_, offset);
    // Decoding order is file order: once a packet is decoded a second after the first, so are
    // all behind it. One decoded a second before it is damage or a jump back, which the mux
    // goes on from where the track was: its pictures are no earlier than the first.
    if (!inFirstSecond_) return;
    inFirstSecond_ = std::abs(ptsDifference(dts, videoDts_)) < TicksPerSecond;
    if (inFirstSecond_ && firstSecond_.size() < FirstSecondLimit) firstSecond_.push_back(offset);
}

double TimingRecorder::frameTicks() const {
    std::vector<int64_t> presented = firstSecond_;
    std::sort(presented.begin(), presented.end());
    presented.erase(std::unique(presented.begin(), presented.end()), presented.end());
    if (presented.size() < 2) return 0;
    // The shortest step is one frame; a longer one spans frames whose packets carry no PTS.
    // Frames of 24000/1001 are 3753.75 ticks, so the steps are summed, not taken one by one.
    int64_t shortest = presented[1] - presented[0];
    for (size_t i = 2; i < presented.size(); ++i)
        shortest = std::min(shortest, presented[i] - presented[i - 1]);
    int64_t frames = 0;
    for (size_t i = 1; i < presented.size(); ++i)
        frames += std::llround(double(presented[i] - presented[i - 1]) / double(shortest));
    return double(presented.back() - presented.front()) / double(frames);
}

int64_t TimingRecorder::earliestPresented() const {
    return ptsPlus(videoPts_, *std::min_element(firstSecond_.begin(), firstSecond_.end()));
}

std::optional<int64_t> TimingRecorder::settledReference() const {
    if (videoPts_ == NoTimestamp || inFirstSecond_) return std::nullopt;
    return earliestPresented();
}

std::optional<FrameRate> TimingRecorder::settledFrameRate() const {
    if (!settledReference()) return std::nullopt;
    const double frame = frameTicks();
    if (frame <= 0) return std::nullopt;
    return frameRateOf(frame);
}

PartTiming TimingRecorder::endPart(const std::string& file) {
    PartTiming part;
    part.file = file;
    if (videoPts_ != NoTimestamp) {
        part.referencePts = earliestPresented();
        const double frame = frameTicks();
        if (frame > 0) part.videoFrameRate = frameRateOf(frame);
        part.videoEndPts =
            ptsPlus(videoPts_, latest_ + std::llround(std::min(frame, LongestPictureTicks)));
    }
    std::stable_sort(firstPts_.begin(), firstPts_.end(),
                     [](const auto& a, const auto& b) { return inTrackOrder(a.first, b.first); });
    for (const auto& [track, first] : firstPts_) {
        StreamStart start{track, first, std::nullopt, std::nullopt};
        if (part.referencePts) start.delayMs = ticksToMs(ptsDifference(first, *part.referencePts));
        part.streams.push_back(start);
    }
    clear();
    return part;
}

} // namespace splitwick
