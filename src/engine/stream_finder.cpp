#include "stream_finder.h"

#include "demux.h"

namespace splitwick {

void StreamFinder::streamFound(const StreamCodec& codec, int index) {
    report_.log(streamLabel(codec, index) + " found!");
}

void StreamFinder::streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                                 int keptId) {
    report_.log(leftOutLine(codec, id, kept, keptId));
}

void StreamFinder::systemHeader(int videoBound, int audioBound) {
    report_.log(systemHeaderLine(videoBound, audioBound));
}

} // namespace splitwick
