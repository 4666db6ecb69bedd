#include "rebuild_state.h"

namespace splitwick {

void RebuildState::reset() {
    IdMap.fill(Unassigned);
    KeptVideo = 0;
    KeptAudio = 0;
    KeptSubpicture = 0;
}

uint8_t& RebuildState::kept(BoxKind kind) {
    switch (kind) {
    case BoxKind::Video:
        return KeptVideo;
    case BoxKind::Audio:
        return KeptAudio;
    case BoxKind::Subpicture:
        break;
    }
    return KeptSubpicture;
}

} // namespace splitwick
