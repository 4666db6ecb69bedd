#include "disc_title_input.h"

#include "engine/job_error.h"

namespace splitwick {

void chooseDiscTitle(JobRequest& request, const DiscTitle& title, bool leaveOutMissing,
                     JobEvents& events) {
    DiscTitleInput input{{}, "", title.info};
    TitleInfo& info = input.info;
    for (size_t i = 0; i < title.clips.size(); ++i) {
        const DiscClip& clip = title.clips[i];
        if (!clip.present && !leaveOutMissing)
            throw JobError(JobErrorKind::Input, "Title " + std::to_string(info.number) +
                                                    " plays a clip whose EVO is missing: \"" +
                                                    fullPath(clip.path) + "\"");
        if (!clip.present) {
            events.warning("Left out: the missing EVO \"" + fullPath(clip.path) + "\", " +
                           clockText(clip.beginMs) + " to " + clockText(clip.endMs) +
                           " of the title: a gap of " + clockText(clip.endMs - clip.beginMs));
            continue;
        }
        if (input.clips.empty()) {
            info.evoName = info.clips[i].stem;
            info.evoStartNs = info.clips[i].beginNs;
        }
        input.clips.push_back({clip.path, info.clips[i].beginNs});
    }
    // Named with its playlist: the lines before named each EVO left out, this line the file to
    // look into.
    if (input.clips.empty())
        throw JobError(JobErrorKind::Input, "Title " + std::to_string(info.number) + " of \"" +
                                                fullPath(title.playlistPath) +
                                                "\" plays no EVO that is there");
    input.name = info.name.empty() ? "Title " + std::to_string(info.number) : info.name;
    request.evoPath = input.clips.front().path;
    request.playlistPath = title.playlistPath;
    request.discTitle = std::move(input);
}

} // namespace splitwick
