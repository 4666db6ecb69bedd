#include "mkv_of_demux.h"

namespace splitwick {

namespace {

std::string fileName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

} // namespace

MkvOfDemux mkvOfDemux(const DemuxedFiles& files, const JobState& state, const TitleInfo& title,
                      const std::string& output) {
    // Another EVO's title says nothing about these streams.
    const bool labelled = title.found() && title.evoName == state.EVOname;
    MkvOfDemux mkv;
    mkv.plan.output = output;
    mkv.plan.chapterFile = files.chapters;
    if (labelled) {
        mkv.plan.title = title.name;
        mkv.plan.playlistFirstAudio = title.firstAudio;
    }
    for (const DemuxedStream& stream : files.streams) {
        const auto codec =
            muxCodec(stream.box, stream.caption, state.StreamTable[tableEntry(stream.box)]);
        if (!codec) {
            mkv.besides.push_back(stream);
            continue;
        }
        const MuxLabel label = labelled ? title.muxLabel(stream.box, stream.caption)
                                        : MuxLabel{"und", "", stream.caption};
        mkv.plan.tracks.push_back({stream.path, stream.box, *codec, label, 0, std::nullopt});
    }
    return mkv;
}

std::string besidesLine(const MkvOfDemux& mkv) {
    std::string names;
    for (const DemuxedStream& stream : mkv.besides)
        for (const std::string* path : {&stream.path, &stream.timestamps})
            if (!path->empty()) names += (names.empty() ? "" : ", ") + fileName(*path);
    if (names.empty()) return "";
    return "Not in " + fileName(mkv.plan.output) +
           " (Matroska takes no such stream as it is), kept beside it: " + names;
}

} // namespace splitwick
