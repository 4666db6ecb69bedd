#include "stream_names.h"

#include <array>

namespace splitwick {

namespace {

struct NameRange {
    int32_t first, last;
    const char* name;
};

template <size_t N> std::string lookUp(const std::array<NameRange, N>& ranges, int32_t id) {
    for (const NameRange& range : ranges)
        if (id >= range.first && id <= range.last) return range.name;
    return {};
}

constexpr std::array<NameRange, 3> VideoNames = {{
    {0x55, 0x56, "VC-1.stream"}, // stream_id_extension of the extended stream
    {0xE0, 0xE1, "MPEG-2.stream"},
    {0xE2, 0xE3, "H.264.stream"},
}};

constexpr std::array<NameRange, 5> AudioNames = {{
    {0x80, 0x87, "DD.stream"},
    {0x88, 0x8F, "DTSHD.stream"},
    {0xA0, 0xA7, "LPCM.stream"},
    {0xB0, 0xB7, "MLP.stream"},
    {0xC0, 0xCF, "DD+.stream"},
}};

constexpr std::array<NameRange, 2> SubpictureNames = {{
    {0x20, 0x2F, "Subpicture"},
    {0x60, 0x6F, "Ext.Subpicture"},
}};

} // namespace

std::string VideoStreamName(int32_t id) {
    return lookUp(VideoNames, id);
}
std::string AudioStreamName(int32_t id) {
    return lookUp(AudioNames, id);
}
std::string SubpictureStreamName(int32_t id) {
    return lookUp(SubpictureNames, id);
}

std::string streamName(BoxKind kind, int32_t id) {
    switch (kind) {
    case BoxKind::Video:
        return VideoStreamName(id);
    case BoxKind::Audio:
        return AudioStreamName(id);
    case BoxKind::Subpicture:
        return SubpictureStreamName(id);
    }
    return {};
}

} // namespace splitwick
