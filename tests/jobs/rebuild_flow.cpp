#include "rebuild_flow.h"

#include <filesystem>

#include "jobs/file_choice.h"
#include "jobs/read_evo.h"
#include "jobs/stream_jobs.h"

namespace splitwick::testing {

void RebuildSession::choose(const std::string& evoPath) {
    request().evoPath = evoPath;
    evoChosen(session);
}

void RebuildSession::read(const std::string& evoPath) {
    choose(evoPath);
    readEvo(session);
}

void RebuildSession::tickAll(bool ticked) {
    for (Box box : allBoxes())
        session.streams[box].chosen = ticked;
}

std::vector<std::string> RebuildSession::rebuildInto(const std::string& folder) {
    request().outputFolder = folder;
    const size_t before = report.lines.size();
    splitwick::rebuild(session, rebuild, afterReads(session.streams));
    return {report.lines.begin() + long(before), report.lines.end()};
}

std::map<std::string, DemuxedStream> demuxAll(const std::string& evoPath,
                                              const std::string& folder) {
    std::filesystem::create_directories(folder);
    RecordingSession s;
    s.session.request.evoPath = evoPath;
    evoChosen(s.session);
    s.session.request.continueParts = false;
    readEvo(s.session);
    s.session.request.outputFolder = folder;
    demux(s.session, afterReads(s.session.streams));
    const std::string extensions[] = {"mpv", "mpa", "sup"};
    std::map<std::string, DemuxedStream> streams;
    for (Box box : streamBoxes()) {
        if (!s.session.streams[box].chosen) continue;
        const std::string caption = s.session.streams[box].label;
        const std::string name = folder + "/" + s.state().evoName + "." + caption + "." +
                                 extensions[static_cast<int>(box.kind)];
        streams[boxName(box)] = {caption, readBytes(name)};
    }
    return streams;
}

} // namespace splitwick::testing
