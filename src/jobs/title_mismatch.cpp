#include "title_mismatch.h"

#include <algorithm>
#include <cstdio>

namespace splitwick {

void TitleMismatch::streamFound(const StreamCodec& codec, int index) {
    if (active_ && !streams_[{codec.kind, index}].known())
        report_.log(streamLabel(codec, index) + " in the EVO, not in the title: left out");
}

void TitleMismatch::payload(PayloadRun& run) {
    const Box box = payloadBox(run);
    // Subpicture indices 16 to 31 have no box.
    if (box.index >= 0 && box.index < boxesOfKind(box.kind)) met_[size_t(boxPosition(box))] = true;
}

void TitleMismatch::dropStreamsNeverMet(DemuxedFiles& files) {
    if (!active_) return;
    std::erase_if(files.streams, [&](const DemuxedStream& stream) {
        if (met_[size_t(boxPosition(stream.box))]) return false;
        std::remove(stream.path.c_str());
        if (!stream.timestamps.empty()) std::remove(stream.timestamps.c_str());
        report_.log(stream.label + " in the title, not in the EVO");
        return true;
    });
}

} // namespace splitwick
