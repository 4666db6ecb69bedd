#include "timing_lines.h"

namespace splitwick {

namespace {

std::string startText(int64_t delayMs) {
    if (delayMs == 0) return "starts with the picture.";
    const int64_t ms = delayMs < 0 ? -delayMs : delayMs;
    return "starts " + std::to_string(ms) + " ms " + (delayMs < 0 ? "before" : "after") +
           " the picture.";
}

} // namespace

void logTiming(JobEvents& events, const TitleTiming& timing) {
    if (timing.parts.empty()) return;
    const PartTiming& part = timing.parts.front();
    if (part.videoFrameRate)
        events.logged("Video frame rate: " + part.videoFrameRate->text() + " fps.");
    for (const StreamStart& stream : part.streams) {
        if (stream.track.kind() == TrackKind::Video || !stream.delayMs) continue;
        events.logged(stream.track.label() + " " + startText(*stream.delayMs));
    }
}

void logFrameCounts(JobEvents& events, const FrameCounts& frames) {
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i] > 0)
            events.logged(std::to_string(frames[i]) + " frames count in video stream " +
                          std::to_string(i) + ".");
}

} // namespace splitwick
