#include "track_outputs.h"

#include "chapter_file.h"

namespace splitwick {

void createTrackOutputs(OutputSet& outputs, OpenFiles& files, const TitleParts& parts,
                        const TrackPlan& plan) {
    if (plan.file.empty()) return;
    const Track& track = plan.track.track;
    switch (plan.form) {
    case FileForm::Wav:
        refuseLaterParts(parts, plan.file);
        outputs.add(track.id, std::make_unique<LpcmWavFile>(plan.file, track.number(), files));
        return;
    case FileForm::Pgs:
        refuseLaterParts(parts, plan.file);
        outputs.add(track.id, std::make_unique<PgsStreamFile>(plan.file, plan.track.label, files));
        return;
    case FileForm::Raw:
        break;
    }
    auto stream = createOutput(files, parts, plan.file);
    outputs.add(track.id, std::move(stream),
                plan.timestamps.empty() ? nullptr : createOutput(files, parts, plan.timestamps));
}

void createChapterFile(OutputSet& outputs, OpenFiles& files, const TitleParts& parts,
                       const std::string& name, const TitleChapters& chapters, JobEvents& events) {
    OutputFile& file = outputs.add(createOutput(files, parts, name));
    events.outputCreated(name);
    writeChapterFile(file, chapters);
}

} // namespace splitwick
