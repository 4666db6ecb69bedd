#include "stream_finder.h"

namespace splitwick {

namespace {

// "1 audio stream", "2 video streams"; empty for none.
std::string streamCount(int count, const char* kind) {
    if (count <= 0) return {};
    return std::to_string(count) + " " + kind + " stream" + (count > 1 ? "s" : "");
}

} // namespace

void StreamFinder::trackFound(const Track& track) {
    if (track.kind() == TrackKind::Video) ++videoFound_;
    if (track.kind() == TrackKind::Audio) ++audioFound_;
    events_.trackFound(track, track.scanName() + " found!");
}

void StreamFinder::systemHeader(int videoBound, int audioBound) {
    videoBound_ = videoBound;
    audioBound_ = audioBound;
    ScanLines::systemHeader(videoBound, audioBound);
}

std::string StreamFinder::missingStreamsLine() const {
    const std::string video = streamCount(videoBound_ - videoFound_, "video");
    const std::string audio = streamCount(audioBound_ - audioFound_, "audio");
    if (video.empty() && audio.empty()) return {};
    const std::string missing = video.empty()   ? audio
                                : audio.empty() ? video
                                                : video + " and " + audio;
    return "Not found in the first ~300 MB: " + missing +
           " of those the file announces. Untick Fast EVO checking to scan the whole file.";
}

} // namespace splitwick
