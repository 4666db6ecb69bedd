#include "output_set.h"

#include <optional>

#include "job_error.h"

namespace splitwick {

template <typename Set> auto OutputSet::slot(Set& set, BoxKind kind, int index) {
    const auto in = [index](auto& slots) {
        return index >= 0 && size_t(index) < slots.size() ? &slots[size_t(index)] : nullptr;
    };
    switch (kind) {
    case BoxKind::Video:
        return in(set.VideoOut);
    case BoxKind::Audio:
        return in(set.AudioOut);
    case BoxKind::Subpicture:
        break;
    }
    return in(set.SubOut);
}

void OutputSet::add(Box box, Slot stream, std::unique_ptr<OutputFile> timestamps) {
    *slot(*this, box.kind, box.index) = std::move(stream);
    if (timestamps) PtsOut.at(size_t(box.index)) = std::move(timestamps);
}

void OutputSet::add(int audioIndex, std::unique_ptr<LpcmWavFile> wav) {
    LpcmWavFile* file = wav.get();
    add({BoxKind::Audio, audioIndex}, std::move(wav));
    wavOut_.at(size_t(audioIndex)) = file;
}

void OutputSet::add(int subpictureIndex, std::unique_ptr<PgsStreamFile> pgs) {
    PgsStreamFile* file = pgs.get();
    add({BoxKind::Subpicture, subpictureIndex}, std::move(pgs));
    pgsOut_.at(size_t(subpictureIndex)) = file;
}

OutputFile& OutputSet::add(std::unique_ptr<OutputFile> file) {
    others_.push_back(std::move(file));
    return *others_.back();
}

StreamOutput* OutputSet::stream(BoxKind kind, int index) const {
    const Slot* found = slot(*this, kind, index);
    return found != nullptr ? found->get() : nullptr;
}

OutputFile* OutputSet::timestamps(int subpictureIndex) const {
    return subpictureIndex >= 0 && size_t(subpictureIndex) < PtsOut.size()
               ? PtsOut[size_t(subpictureIndex)].get()
               : nullptr;
}

LpcmWavFile* OutputSet::wav(int audioIndex) const {
    return audioIndex >= 0 && size_t(audioIndex) < wavOut_.size() ? wavOut_[size_t(audioIndex)]
                                                                  : nullptr;
}

PgsStreamFile* OutputSet::pgs(int subpictureIndex) const {
    return subpictureIndex >= 0 && size_t(subpictureIndex) < pgsOut_.size()
               ? pgsOut_[size_t(subpictureIndex)]
               : nullptr;
}

template <typename Each> void OutputSet::forEach(Each each) {
    for (Slot& slot : VideoOut)
        if (slot) each(slot);
    for (Slot& slot : AudioOut)
        if (slot) each(slot);
    for (Slot& slot : SubOut)
        if (slot) each(slot);
    for (auto& slot : PtsOut)
        if (slot) each(slot);
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
    wavOut_.fill(nullptr);
    pgsOut_.fill(nullptr);
}

} // namespace splitwick
