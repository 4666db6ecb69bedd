#include "stream_codecs.h"

#include <cstdio>

namespace splitwick {

std::string hexId(int id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", id);
    return text;
}

std::string streamLabel(const StreamCodec& codec, int index) {
    static constexpr const char* KindWords[] = {" video stream ", " audio stream ", " stream "};
    return codec.codecName + std::string(KindWords[static_cast<int>(codec.kind)]) +
           std::to_string(index);
}

std::string leftOutLine(const StreamCodec& codec, int id, const StreamCodec& kept, int keptId) {
    const int index = codec.index(id);
    return streamLabel(codec, index) + " (" + hexId(id) + ") left out: audio stream " +
           std::to_string(index) + " is " + kept.codecName + " (" + hexId(keptId) + ")";
}

const StreamCodec* scannedCodec(BoxKind kind, int32_t id) {
    for (const StreamCodec& codec : StreamCodecs)
        if (codec.kind == kind && codec.name != nullptr && codec.scanned.holds(id) &&
            codec.index(id) < boxesOfKind(kind))
            return &codec;
    return nullptr;
}

std::string streamName(BoxKind kind, int32_t id) {
    const StreamCodec* codec = scannedCodec(kind, id);
    return codec != nullptr ? codec->name : std::string();
}

std::string scannedLabel(Box box, int32_t id) {
    return streamName(box.kind, id) + labelSuffix(box);
}

} // namespace splitwick
