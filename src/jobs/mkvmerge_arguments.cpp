#include "mkvmerge_arguments.h"

#include <algorithm>
#include <array>

namespace splitwick {

namespace {

struct KindFlag {
    const char* kind;
    const char* option;
};

// The track kinds Matroska has a flag for; the others ("normal", "large", "children") have
// none.
constexpr std::array<KindFlag, 4> KindFlags = {{
    {"commentary", "--commentary-flag"},
    {"visually-impaired", "--visual-impaired-flag"},
    {"hearing-impaired", "--hearing-impaired-flag"},
    {"forced", "--forced-display-flag"},
}};

// Raw H.264 and VC-1 streams need not carry their frame rate, and what they carry may count
// fields: the rate measured from the stream's timestamps is the one the disc plays at. MPEG-2's
// sequence header always carries the rate, and its pictures' repeat flags (pulldown) give each
// frame its length: a forced default duration would undo that.
constexpr std::array<MuxCodec, 2> RateFromMeasure = {MuxCodec::H264, MuxCodec::Vc1};

bool takesMeasuredRate(const MuxTrack& track) {
    return std::find(RateFromMeasure.begin(), RateFromMeasure.end(), track.codec) !=
               RateFromMeasure.end() &&
           track.frameRate;
}

std::string fileArgument(const std::string& path) {
    return path.starts_with('/') ? path : "./" + path;
}

// mkvmerge's TID:value for the one track of an input file.
std::string ofTrack(const std::string& value) {
    return "0:" + value;
}

void addTrack(std::vector<std::string>& args, const MuxTrack& track, bool isDefault) {
    args.insert(args.end(), {"--language", ofTrack(track.label.language)});
    if (!track.label.name.empty())
        args.insert(args.end(), {"--track-name", ofTrack(track.label.name)});
    args.insert(args.end(), {"--default-track-flag", ofTrack(isDefault ? "yes" : "no")});
    for (const KindFlag& flag : KindFlags)
        if (track.label.kind == flag.kind) args.insert(args.end(), {flag.option, ofTrack("yes")});
    if (track.delayMs != 0)
        args.insert(args.end(), {"--sync", ofTrack(std::to_string(track.delayMs))});
    if (takesMeasuredRate(track) && isDiscRate(*track.frameRate))
        args.insert(args.end(), {"--default-duration",
                                 ofTrack(std::to_string(track.frameRate->numerator) + "/" +
                                         std::to_string(track.frameRate->denominator) + "p")});
    args.push_back(fileArgument(track.path));
}

} // namespace

std::vector<std::string> mkvmergeArguments(const MuxPlan& plan, const std::string& partial) {
    std::vector<std::string> args = {"--gui-mode", "--output", fileArgument(partial)};
    if (!plan.title.empty()) args.insert(args.end(), {"--title", plan.title});
    if (!plan.chapterFile.empty())
        args.insert(args.end(), {"--chapters", fileArgument(plan.chapterFile)});
    const std::optional<size_t> defaultAudio = defaultAudioTrack(plan);
    bool videoSeen = false;
    for (size_t i = 0; i < plan.tracks.size(); ++i) {
        const MuxTrack& track = plan.tracks[i];
        // The first picture and the chosen sound play; another video stream is an alternative.
        const bool firstVideo = track.box.kind == BoxKind::Video && !videoSeen;
        videoSeen = videoSeen || track.box.kind == BoxKind::Video;
        addTrack(args, track, firstVideo || i == defaultAudio);
    }
    return args;
}

std::string ownTimingLine(const MuxPlan& plan) {
    for (const MuxTrack& track : plan.tracks)
        if (takesMeasuredRate(track) && !isDiscRate(*track.frameRate))
            return "Video frame rate " + track.frameRate->text() +
                   " fps is none a disc plays at: the video track keeps its stream's own timing";
    return "";
}

} // namespace splitwick
