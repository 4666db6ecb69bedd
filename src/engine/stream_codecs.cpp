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

} // namespace splitwick
