#include "stream_finder.h"

namespace splitwick {

void StreamFinder::streamFound(const StreamCodec& codec, int index) {
    report_.log(streamLabel(codec, index) + " found!");
}

} // namespace splitwick
