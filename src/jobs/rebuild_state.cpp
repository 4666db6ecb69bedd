#include "rebuild_state.h"

namespace splitwick {

void RebuildState::reset() {
    IdMap.fill(Unassigned);
    KeptVideo = 0;
    KeptAudio = 0;
    KeptSubpicture = 0;
}

uint8_t& RebuildState::kept(BoxKind kind) {
    if (kind == BoxKind::Video) return KeptVideo;
    if (kind == BoxKind::Audio) return KeptAudio;
    return KeptSubpicture;
}

} // namespace splitwick
