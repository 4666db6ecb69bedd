#include "track_flags.h"

#include <algorithm>

#include "plan.h"

namespace splitwick {

namespace {

const std::string ForcedKind = "forced";

TrackKind kindOf(const TrackPlan* track) {
    return track->track.track.kind();
}

TrackPlan* firstWhere(const std::vector<TrackPlan*>& tracks, auto&& wanted) {
    const auto found = std::find_if(tracks.begin(), tracks.end(), wanted);
    return found == tracks.end() ? nullptr : *found;
}

TrackPlan* defaultAudio(const std::vector<TrackPlan*>& tracks, const DefaultTracks& defaults) {
    const auto audio = [](const TrackPlan* track) { return kindOf(track) == TrackKind::Audio; };
    const auto first = [&](const TrackPlan* track) {
        return audio(track) && track->track.inTitle &&
               track->track.track.name() == defaults.firstAudio;
    };
    const auto ofLanguage = [&](const TrackPlan* track) {
        return audio(track) && track->mkvLabel.language == defaults.language;
    };
    TrackPlan* playlistFirst = firstWhere(tracks, first);
    if (playlistFirst != nullptr && (defaults.language.empty() || ofLanguage(playlistFirst)))
        return playlistFirst;
    if (TrackPlan* found = firstWhere(tracks, ofLanguage)) return found;
    return playlistFirst != nullptr ? playlistFirst : firstWhere(tracks, audio);
}

} // namespace

void setTrackFlags(const std::vector<TrackPlan*>& tracks, const DefaultTracks& defaults) {
    for (TrackPlan* track : tracks) {
        track->mkvDefault = false;
        track->mkvForced =
            kindOf(track) == TrackKind::Subpicture && track->mkvLabel.kind == ForcedKind;
    }
    if (TrackPlan* video = firstWhere(
            tracks, [](const TrackPlan* track) { return kindOf(track) == TrackKind::Video; }))
        video->mkvDefault = true;
    TrackPlan* audio = defaultAudio(tracks, defaults);
    if (audio == nullptr) return;
    audio->mkvDefault = true;
    if (TrackPlan* forced = firstWhere(tracks, [&](const TrackPlan* track) {
            return track->mkvForced && track->mkvLabel.language == audio->mkvLabel.language;
        }))
        forced->mkvDefault = true;
}

} // namespace splitwick
