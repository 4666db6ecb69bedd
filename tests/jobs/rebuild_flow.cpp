#include "rebuild_flow.h"

#include <filesystem>

#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"

namespace splitwick::testing {

void RebuildSession::choose(const std::string& evoPath) {
    controls.setField(Field::EVOfile, evoPath);
    EVOadj(session);
}

void RebuildSession::read(const std::string& evoPath) {
    choose(evoPath);
    bCheckClick(session);
}

void RebuildSession::tickAll(bool ticked) {
    for (Box box : allBoxes())
        controls.setTicked(box, ticked);
}

std::vector<std::string> RebuildSession::rebuildInto(const std::string& folder) {
    controls.setField(Field::Workdir, folder);
    const size_t before = report.lines.size();
    bRebuildClick(session, rebuild);
    return {report.lines.begin() + long(before), report.lines.end()};
}

std::map<std::string, DemuxedStream> demuxAll(const std::string& evoPath,
                                              const std::string& folder) {
    std::filesystem::create_directories(folder);
    RecordingSession s;
    s.controls.setField(Field::EVOfile, evoPath);
    EVOadj(s.session);
    s.controls.setOption(Option::Continue, false);
    bCheckClick(s.session);
    s.controls.setField(Field::Workdir, folder);
    bDemuxClick(s.session);
    const std::string extensions[] = {"mpv", "mpa", "sup"};
    std::map<std::string, DemuxedStream> streams;
    for (Box box : streamBoxes()) {
        if (!s.controls.ticked(box)) continue;
        const std::string caption = s.controls.caption(box);
        const std::string name = folder + "/" + s.state().EVOname + "." + caption + "." +
                                 extensions[static_cast<int>(box.kind)];
        streams[boxName(box)] = {caption, readBytes(name)};
    }
    return streams;
}

} // namespace splitwick::testing
