#include "mkv_of_demux.h"

#include "engine/path_parts.h"

namespace splitwick {

bool isTitleOf(const TitleInfo& title, const std::string& evoName) {
    return title.found() && title.evoName == evoName;
}

TrackLabel trackLabel(const TitleInfo& title, const std::string& evoName, Box box,
                      const std::string& label) {
    return isTitleOf(title, evoName) ? title.muxLabel(box, label) : TrackLabel{"und", "", label};
}

int64_t firstPartDelay(const JobState& state, Box box) {
    if (state.timing.parts.empty()) return 0;
    for (const StreamStart& start : state.timing.parts.front().streams)
        if (start.box == box) return start.delayMs.value_or(0);
    return 0;
}

MkvOfDemux mkvOfDemux(const DemuxedFiles& files, const JobState& state, const TitleInfo& title,
                      const std::string& output) {
    const bool labelled = isTitleOf(title, state.evoName);
    // A demux that was not stopped has timed its first part.
    const PartTiming firstPart =
        state.timing.parts.empty() ? PartTiming{} : state.timing.parts.front();
    MkvOfDemux mkv;
    mkv.plan.output = output;
    if (labelled) {
        mkv.plan.title = title.name;
        mkv.plan.playlistFirstAudio = title.firstAudio;
    }
    for (const DemuxedStream& stream : files.streams) {
        // A subpicture stream converted to PGS is timed on the title's timeline already.
        const auto codec = stream.pgs ? MuxCodec::Pgs
                                      : muxCodec(stream.box, stream.label,
                                                 state.streamTable[tableEntry(stream.box)]);
        if (!codec) {
            mkv.besides.push_back(stream);
            continue;
        }
        const TrackLabel label = trackLabel(title, state.evoName, stream.box, stream.label);
        // The rate measured is video stream 0's.
        const bool firstVideo = stream.box == Box{TrackKind::Video, 0};
        mkv.plan.tracks.push_back({stream.box, *codec, label,
                                   stream.pgs ? 0 : firstPartDelay(state, stream.box),
                                   firstVideo ? firstPart.videoFrameRate : std::nullopt});
    }
    return mkv;
}

std::string besidesLine(const MkvOfDemux& mkv) {
    std::string names;
    for (const DemuxedStream& stream : mkv.besides)
        for (const std::string* path : {&stream.path, &stream.timestamps})
            if (!path->empty()) names += (names.empty() ? "" : ", ") + fileNameOf(*path);
    if (names.empty()) return "";
    return "Not in " + fileNameOf(mkv.plan.output) +
           " (Matroska takes no such stream as it is), kept beside it: " + names;
}

} // namespace splitwick
