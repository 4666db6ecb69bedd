#include "job_state.h"

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
    bool failed = false;
    forEachSlot(state, [&](OutputSlot& slot) {
        if (!slot) return;
        try {
            slot->close();
        } catch (const JobError&) {
            failed = true;
        }
        slot.reset();
    });
    if (failed) throw streamWriteError();
}

void emptyOutputs(JobState& state) {
    forEachSlot(state, [](OutputSlot& slot) {
        if (slot) slot->empty();
    });
}

void dropOutputs(JobState& state) {
    forEachSlot(state, [](OutputSlot& slot) { slot.reset(); });
}

} // namespace splitwick
