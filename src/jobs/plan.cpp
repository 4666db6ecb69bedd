#include "plan.h"

#include <algorithm>

#include "engine/job_error.h"
#include "output_names.h"

namespace splitwick {

namespace {

// A subpicture's side file of timestamps.
const std::string PtsExtension = "pts";
const std::string WavExtension = "wav";

// The .mkv takes LPCM as WAV samples and subpictures as PGS only.
FileForm formOf(const JobRequest& request, const Track& track) {
    if (track.codec->codec == Codec::Lpcm && (request.lpcmWav || request.mkv)) return FileForm::Wav;
    if (track.kind() == TrackKind::Subpicture && (request.subPgs || request.mkv))
        return FileForm::Pgs;
    return FileForm::Raw;
}

const std::string CoreSuffix = " (core)";

std::optional<MuxCodec> mkvCodecOf(const JobRequest& request, Codec codec) {
    if (codec == Codec::Lpcm && request.lpcmFlac) return MuxCodec::Flac;
    return muxCodecOf(codec);
}

std::string extensionOf(const JobRequest& request, const Track& track, FileForm form) {
    if (form == FileForm::Wav) return WavExtension;
    if (form == FileForm::Pgs) return codecExtension(MuxCodec::Pgs);
    if (request.extensionsByCodec)
        if (const auto codec = muxCodecOf(track.codec->codec)) return codecExtension(*codec);
    return safeNamePart(request.extension(track.kind()));
}

bool ofLanguage(const std::vector<std::string>& languages, const TitleInfo* title, TrackName name) {
    if (title == nullptr) return false;
    const std::optional<TrackLanguage> language = title->language(name);
    return language &&
           std::find(languages.begin(), languages.end(), language->language) != languages.end();
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

} // namespace

LabelledTrack labelTrack(const Track& track, const PlaylistRead* playlist, bool firstOfName) {
    if (playlist == nullptr || !playlist->titleFound) return {track, track.label(), "", true};
    const StreamLabel* label = firstOfName ? playlist->label(track.name()) : nullptr;
    if (label == nullptr) return {track, track.label(), "", false};
    return {track, label->label, label->description, true};
}

std::vector<LabelledTrack> labelTracks(const TrackList& tracks, const PlaylistRead* playlist) {
    std::vector<LabelledTrack> labelled;
    for (const Track& track : tracks)
        labelled.push_back(labelTrack(track, playlist, tracks.first(track.name()) == &track));
    return labelled;
}

Planner::Planner(const JobRequest& request, const TitleParts& parts, const TitleInfo* title)
    : request_(request), title_(title), prefix_(outputPrefix(request, parts)) {}

bool Planner::chosen(TrackName name, bool inTitle) const {
    const TrackChoice& choice = request_.choice;
    // A stream the playlist's title does not name is none of the title's tracks.
    if (!inTitle) return false;
    if (choice.names)
        return std::find(choice.names->begin(), choice.names->end(), name) != choice.names->end();
    if (choice.languages.empty()) return true;
    return name.kind == TrackKind::Video || ofLanguage(choice.languages, title_, name);
}

TrackPlan Planner::track(const LabelledTrack& track) const {
    TrackPlan plan{track,        "",          "",           formOf(request_, track.track),
                   std::nullopt, {},          std::nullopt, false,
                   false,        std::nullopt};
    // As a .mkv would take it, whether or not the job makes one: the dry run tells it.
    plan.mkvCodec = mkvCodecOf(request_, track.track.codec->codec);
    plan.mkvLabel = title_ != nullptr && track.inTitle
                        ? title_->muxLabel(track.track.name(), track.label)
                        : TrackLabel{"und", "", track.label};
    if (request_.dtsCore && plan.mkvCodec == MuxCodec::Dts)
        plan.mkvCore =
            TrackLabel{plan.mkvLabel.language, plan.mkvLabel.kind, plan.mkvLabel.name + CoreSuffix};
    // A stream the .mkv takes gets a file of its own only when the streams are kept too.
    if (request_.mkv && plan.mkvCodec && !request_.keepStreams) return plan;
    const std::string extension = extensionOf(request_, track.track, plan.form);
    const bool withTimestamps =
        track.track.kind() == TrackKind::Subpicture && plan.form == FileForm::Raw;
    const std::string stem =
        trackOutputStem(prefix_, track.label, track.track.name(),
                        std::max(extension.size(), withTimestamps ? PtsExtension.size() : 0));
    plan.file = stem + "." + extension;
    if (withTimestamps) plan.timestamps = stem + "." + PtsExtension;
    return plan;
}

TitleChapters Planner::chapters() const {
    if (title_ == nullptr) return {};
    return title_->chaptersFor(title_->evoName);
}

Plan Planner::titleFiles() const {
    Plan plan;
    plan.chapterCount = chapters().marks.size();
    if (request_.writes == Writes::Rebuilt) {
        plan.rebuilt = prefix_ + ".rebuilt.EVO";
        return plan;
    }
    const bool chapterFile = !request_.mkv || request_.keepStreams;
    if (chapterFile && plan.chapterCount > 0) plan.chapters = prefix_ + ".chapters.xml";
    if (request_.mkv) {
        plan.mkv = prefix_ + ".mkv";
        if (title_ != nullptr) plan.mkvTitle = title_->name;
    }
    return plan;
}

Plan Planner::plan(const std::vector<LabelledTrack>& tracks, const TitleTiming& timing) const {
    Plan plan = titleFiles();
    for (const LabelledTrack& track : tracks) {
        if (!chosen(track)) continue;
        TrackPlan planned = this->track(track);
        // Subpictures converted to PGS are timed on the title's timeline already.
        if (!timing.parts.empty() && planned.mkvCodec != MuxCodec::Pgs)
            for (const StreamStart& start : timing.parts.front().streams)
                if (start.track.id == track.track.id) planned.delayMs = start.delayMs;
        plan.tracks.push_back(std::move(planned));
    }
    std::stable_sort(plan.tracks.begin(), plan.tracks.end(), [](const auto& a, const auto& b) {
        return inTrackOrder(a.track.track, b.track.track);
    });
    std::vector<TrackPlan*> muxed;
    for (TrackPlan& track : plan.tracks)
        if (track.mkvCodec) muxed.push_back(&track);
    setTrackFlags(muxed, defaultTracks());
    return plan;
}

DefaultTracks Planner::defaultTracks() const {
    DefaultTracks defaults;
    if (!request_.choice.languages.empty()) defaults.language = request_.choice.languages.front();
    if (title_ == nullptr) return defaults;
    defaults.firstAudio = title_->firstAudio;
    if (!defaults.language.empty()) return defaults;
    // The TitleSet's defaultLanguage, else that of the track a player starts with.
    defaults.language = title_->defaultLanguage;
    if (defaults.language.empty() && title_->firstAudio)
        if (const auto first = title_->language(*title_->firstAudio))
            defaults.language = first->language;
    return defaults;
}

std::vector<std::string> Plan::files() const {
    std::vector<std::string> files;
    for (const std::string* file : {&rebuilt, &mkv})
        if (!file->empty()) files.push_back(*file);
    if (!rebuilt.empty()) return files;
    for (const TrackPlan& track : tracks)
        for (const std::string* file : {&track.file, &track.timestamps})
            if (!file->empty()) files.push_back(*file);
    if (!chapters.empty()) files.push_back(chapters);
    return files;
}

TrackPlan corePlan(const TrackPlan& dts) {
    TrackPlan core = dts;
    core.mkvLabel = *dts.mkvCore;
    core.mkvCore.reset();
    core.mkvDefault = core.mkvForced = false;
    return core;
}

void checkChoice(const TrackChoice& choice, const std::vector<LabelledTrack>& tracks,
                 const TitleInfo* title) {
    std::vector<std::string> names, languages;
    for (const LabelledTrack& track : tracks) {
        if (!track.inTitle) continue;
        const std::string name = track.track.name().text();
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        if (title == nullptr) continue;
        if (const auto language = title->language(track.track.name());
            language && !language->language.empty() &&
            std::find(languages.begin(), languages.end(), language->language) == languages.end())
            languages.push_back(language->language);
    }
    for (TrackName wanted : choice.names.value_or(std::vector<TrackName>{}))
        if (std::find(names.begin(), names.end(), wanted.text()) == names.end())
            throw JobError(JobErrorKind::Usage, "--streams: no stream " + wanted.text() +
                                                    "; the title has " + joinedNames(names));
    for (const std::string& wanted : choice.languages)
        if (std::find(languages.begin(), languages.end(), wanted) == languages.end())
            throw JobError(JobErrorKind::Usage, "--lang: no stream in " + wanted +
                                                    "; the title has " + joinedNames(languages));
}

} // namespace splitwick
