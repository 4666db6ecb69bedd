#include "timing_lines.h"

#include "engine/stream_codecs.h"

namespace splitwick {

namespace {

std::string startText(int64_t delayMs) {
    if (delayMs == 0) return "starts with the picture.";
    const int64_t ms = delayMs < 0 ? -delayMs : delayMs;
    return "starts " + std::to_string(ms) + " ms " + (delayMs < 0 ? "before" : "after") +
           " the picture.";
}

} // namespace

void logTiming(Report& report, const TitleTiming& timing, const StreamTable& found) {
    if (timing.parts.empty()) return;
    const PartTiming& part = timing.parts.front();
    if (part.videoFrameRate)
        report.log("Video frame rate: " + part.videoFrameRate->text() + " fps.");
    for (const StreamStart& stream : part.streams) {
        if (stream.box.kind == BoxKind::Video || !stream.delayMs) continue;
        report.log(scannedLabel(stream.box, found[tableEntry(stream.box)]) + " " +
                   startText(*stream.delayMs));
    }
}

} // namespace splitwick
