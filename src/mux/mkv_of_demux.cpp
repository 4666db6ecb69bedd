#include "mkv_of_demux.h"

#include <filesystem>
#include <cstdio>

#include "engine/path_parts.h"

namespace splitwick {

namespace {

// Where the stream starts against the picture in the first part: a split title's second part
// follows the first in the same files, so the first part's starts are the title's. 0 for a
// stream the scan found no start of.
int64_t delayOf(const PartTiming& part, Box box) {
    for (const StreamStart& start : part.streams)
        if (start.box == box) return start.delayMs.value_or(0);
    return 0;
}

} // namespace

MkvOfDemux mkvOfDemux(const DemuxedFiles& files, const JobState& state, const TitleInfo& title,
                      const std::string& output) {
    // Another EVO's title says nothing about these streams.
    const bool labelled = title.found() && title.evoName == state.evoName;
    // A demux that was not stopped has timed its first part.
    const PartTiming firstPart =
        state.timing.parts.empty() ? PartTiming{} : state.timing.parts.front();
    MkvOfDemux mkv;
    mkv.plan.output = output;
    mkv.plan.chapterFile = files.chapters;
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
        // mkvmerge recognises no empty file: a stream whose every unit was left out has none.
        std::error_code error;
        if (stream.pgs && std::filesystem::file_size(stream.path, error) == 0 && !error) {
            mkv.empty.push_back(stream);
            continue;
        }
        const TrackLabel label = labelled ? title.muxLabel(stream.box, stream.label)
                                        : TrackLabel{"und", "", stream.label};
        // The rate measured is video stream 0's.
        const bool firstVideo = stream.box == Box{BoxKind::Video, 0};
        mkv.plan.tracks.push_back({stream.path, stream.box, *codec, label,
                                   stream.pgs ? 0 : delayOf(firstPart, stream.box),
                                   firstVideo ? firstPart.videoFrameRate : std::nullopt});
    }
    return mkv;
}

std::string emptyLine(const MkvOfDemux& mkv) {
    std::string names;
    for (const DemuxedStream& stream : mkv.empty)
        names += (names.empty() ? "" : ", ") + fileNameOf(stream.path);
    if (names.empty()) return "";
    return "Not in " + fileNameOf(mkv.plan.output) + " (no subtitle to show): " + names;
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

void removeMuxInputs(const MuxPlan& plan) {
    for (const MuxTrack& track : plan.tracks)
        std::remove(track.path.c_str());
    if (!plan.chapterFile.empty()) std::remove(plan.chapterFile.c_str());
}

} // namespace splitwick
