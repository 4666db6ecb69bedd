#include "job_state.h"

#include <optional>

#include "job_error.h"

namespace splitwick {

namespace {

template <typename Each> void forEachSlot(JobState& state, Each each) {
    for (auto& slot : state.VideoOut)
        each(slot);
    for (auto& slot : state.AudioOut)
        each(slot);
    for (auto& slot : state.SubOut)
        each(slot);
    for (auto& slot : state.PtsOut)
        each(slot);
}

} // namespace

void closeOutputs(JobState& state) {
    std::optional<JobError> failure;
    forEachSlot(state, [&](OutputSlot& slot) {
        if (!slot) return;
        try {
            slot->close();
        } catch (const JobError& error) {
            if (!failure) failure = error;
        }
        slot.reset();
    });
    if (failure) throw *failure;
}

void truncateOutputs(JobState& state) {
    forEachSlot(state, [](OutputSlot& slot) {
        if (slot) slot->truncate();
    });
}

void dropOutputs(JobState& state) {
    forEachSlot(state, [](OutputSlot& slot) { slot.reset(); });
}

} // namespace splitwick
