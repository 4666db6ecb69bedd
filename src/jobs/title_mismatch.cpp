#include "title_mismatch.h"

#include <algorithm>

namespace splitwick {

LabelledTrack TitleMismatch::met(const Track& track, bool firstOfName) {
    met_.push_back(track.name());
    LabelledTrack labelled = labelTrack(track, labels_, firstOfName);
    if (!labelled.inTitle)
        events_.warning(track.scanName() + " in the EVO, not in the title: left out");
    return labelled;
}

void TitleMismatch::neverMet(const Planner& planner) const {
    if (labels_ == nullptr || !labels_->titleFound) return;
    for (const StreamLabel& label : labels_->labels) {
        if (std::find(met_.begin(), met_.end(), label.name) != met_.end()) continue;
        if (planner.chosen(label.name, true))
            events_.warning(label.label + " in the title, not in the EVO");
    }
}

} // namespace splitwick
