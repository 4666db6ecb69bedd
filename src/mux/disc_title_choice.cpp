#include "disc_title_choice.h"

#include "engine/job_error.h"
#include "jobs/file_choice.h"

namespace splitwick {

TitleInfo chooseDiscTitle(Session& session, const DiscTitle& title, bool leaveOutMissing) {
    std::vector<TitleClipFile> clips;
    TitleInfo info = title.info;
    for (size_t i = 0; i < title.clips.size(); ++i) {
        const DiscClip& clip = title.clips[i];
        if (!clip.present && !leaveOutMissing)
            throw JobError(JobErrorKind::Input, "Title " + std::to_string(info.number) +
                                                    " plays a clip whose EVO is missing: \"" +
                                                    fullPath(clip.path) + "\"");
        if (!clip.present) {
            session.log("Left out: the missing EVO \"" + fullPath(clip.path) + "\"");
            continue;
        }
        if (clips.empty()) {
            info.evoName = info.clips[i].stem;
            info.evoStartNs = info.clips[i].beginNs;
        }
        clips.push_back({clip.path, info.clips[i].beginNs});
    }
    if (clips.empty())
        throw JobError(JobErrorKind::Input,
                       "Title " + std::to_string(info.number) + " plays no EVO that is there");
    session.request.evoPath = clips.front().path;
    evoChosen(session);
    session.request.playlistPath = title.playlistPath;
    playlistChosen(session);
    session.state.titleClips = std::move(clips);
    session.state.titleName =
        info.name.empty() ? "Title " + std::to_string(info.number) : info.name;
    return info;
}

} // namespace splitwick
