#include "stream_codecs.h"

namespace splitwick {

std::string streamName(BoxKind kind, int32_t id) {
    for (const StreamCodec& codec : StreamCodecs)
        if (codec.kind == kind && codec.name != nullptr && codec.scanned.holds(id) &&
            codec.index(id) < boxesOfKind(kind))
            return codec.name;
    return {};
}

} // namespace splitwick
