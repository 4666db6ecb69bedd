#include "rebuild_flow.h"

#include <filesystem>

#include "jobs/file_choice.h"

namespace splitwick::testing {

void RebuildSession::read(const std::string& evoPath) {
    choose(evoPath);
    readEvo(*this);
}

void RebuildSession::tickAll(bool ticks) {
    ticked.clear();
    if (!ticks) return;
    for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subpicture})
        for (int number = 0; number < numbersOfKind(kind); ++number)
            ticked.insert({kind, number});
}

std::map<std::string, DemuxedStream> demuxAll(const std::string& evoPath,
                                              const std::string& folder) {
    std::filesystem::create_directories(folder);
    WindowRuns s;
    chooseEvo(s, evoPath);
    s.request.continueParts = false;
    readEvo(s);
    demuxInto(s, folder);
    const std::string extensions[] = {"mpv", "mpa", "sup"};
    std::map<std::string, DemuxedStream> streams;
    for (const Track& track : s.read->tracks) {
        const std::string caption = track.label();
        const std::string name = folder + "/" + evoStem(evoPath) + "." + caption + "." +
                                 extensions[static_cast<int>(track.kind())];
        streams[track.name().jsonName()] = {caption, readBytes(name)};
    }
    return streams;
}

} // namespace splitwick::testing
