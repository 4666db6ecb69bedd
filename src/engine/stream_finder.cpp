#include "stream_finder.h"

#include "demux.h"

namespace splitwick {

void StreamFinder::streamFound(const StreamCodec& codec, int index) {
    report_.log(codec.foundText + std::to_string(index) + " found!");
}

void StreamFinder::systemHeader(int videoBound, int audioBound) {
    report_.log(systemHeaderLine(videoBound, audioBound));
}

} // namespace splitwick
