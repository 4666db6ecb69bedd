#include "output_set.h"

#include <optional>

#include "job_error.h"

namespace splitwick {

const OutputSet::TrackOutputs& OutputSet::find(TrackId track) const {
    static const TrackOutputs none;
    const int at = index_[size_t(track.key())];
    return at < 0 ? none : *tracks_[size_t(at)];
}

OutputSet::TrackOutputs& OutputSet::slot(TrackId track) {
    int16_t& at = index_[size_t(track.key())];
    if (at < 0) {
        at = int16_t(tracks_.size());
        tracks_.push_back(std::make_unique<TrackOutputs>());
        tracks_.back()->track = track;
    }
    return *tracks_[size_t(at)];
}

void OutputSet::add(TrackId track, std::unique_ptr<StreamOutput> stream,
                    std::unique_ptr<OutputFile> timestamps) {
    TrackOutputs& outputs = slot(track);
    outputs.stream = std::move(stream);
    outputs.timestamps = std::move(timestamps);
}

void OutputSet::add(TrackId track, std::unique_ptr<LpcmWavFile> wav) {
    LpcmWavFile* file = wav.get();
    add(track, std::unique_ptr<StreamOutput>(std::move(wav)));
    slot(track).wav = file;
}

void OutputSet::add(TrackId track, std::unique_ptr<PgsStreamFile> pgs) {
    PgsStreamFile* file = pgs.get();
    add(track, std::unique_ptr<StreamOutput>(std::move(pgs)));
    slot(track).pgs = file;
}

OutputFile& OutputSet::add(std::unique_ptr<OutputFile> file) {
    others_.push_back(std::move(file));
    return *others_.back();
}

template <typename Each> void OutputSet::forEach(Each each) {
    for (auto& outputs : tracks_)
        if (outputs->stream) each(outputs->stream);
    for (auto& outputs : tracks_)
        if (outputs->timestamps) each(outputs->timestamps);
    for (auto& file : others_)
        if (file) each(file);
}

void OutputSet::close() {
    std::optional<JobError> failure;
    forEach([&](auto& output) {
        try {
            output->store();
        } catch (const JobError& error) {
            if (!failure) failure = error;
        }
    });
    if (failure) throw *failure;
    forEach([](auto& output) {
        output->moveIntoPlace();
        output.reset();
    });
    for (auto& outputs : tracks_) {
        outputs->wav = nullptr;
        outputs->pgs = nullptr;
    }
}

} // namespace splitwick
