#include "stream_finder.h"

#include "demux.h"

namespace splitwick {

void StreamFinder::payload(PayloadRun& run) {
    if (run.kind == PacketKind::Video)
        counter_.tally(run, controls_.option(Option::CountFrames), frames_);
}

void StreamFinder::streamFound(const StreamCodec& codec, int index) {
    report_.log(codec.foundText + std::to_string(index) + " found!");
}

void StreamFinder::systemHeader(int videoBound, int audioBound) {
    report_.log(systemHeaderLine(videoBound, audioBound));
}

} // namespace splitwick
