#include "codecs.h"

#include <array>
#include <stdexcept>
#include <string>

#include "pes_builder.h"

namespace splitwick::maker {

namespace {

constexpr uint32_t Mpeg2PictureStart = 0x00000100;
constexpr uint32_t H264AccessUnitDelimiter = 0x00000109;
constexpr uint32_t Vc1FrameStart = 0x0000010D;

// By Codec, in declaration order.
constexpr std::array<CodecTraits, 13> Traits = {{
    {0xE0, 0xE1, 0x00, 0x01, TrackKind::Video, Mpeg2PictureStart, 6000},
    {0xE2, 0xE3, 0x00, 0x01, TrackKind::Video, H264AccessUnitDelimiter, 6000},
    {0x55, 0x56, 0x55, 0x01, TrackKind::Video, Vc1FrameStart, 6000},
    {0x80, 0x87, 0x00, 0x07, TrackKind::Audio, 0, 1792},
    {0x88, 0x8F, 0x00, 0x07, TrackKind::Audio, 0, 2013},
    {0xA0, 0xA7, 0x00, 0x0F, TrackKind::Audio, 0, 1920},
    {0xB0, 0xB7, 0x00, 0x07, TrackKind::Audio, 0, 1600},
    {0xC0, 0xCF, 0x00, 0x0F, TrackKind::Audio, 0, 2560},
    {0x20, 0x3F, 0x00, 0x1F, TrackKind::Subpicture, 0, 3000},
    {0x60, 0x7F, 0x00, 0x1F, TrackKind::Subpicture, 0, 3000},
    {0xC0, 0xCF, 0x00, 0x00, std::nullopt, 0, 1000},
    {0x00, 0xFF, 0x00, 0x00, std::nullopt, 0, 1000},
    {0xE4, 0xEF, 0x00, 0x00, std::nullopt, 0, 1000},
}};

bool claimedSubStream(uint8_t id) {
    for (Codec codec : {Codec::DD, Codec::DtsHd, Codec::Lpcm, Codec::Mlp, Codec::DDPlus,
                        Codec::Subpicture, Codec::ExtSubpicture}) {
        const CodecTraits& t = traitsOf(codec);
        if (id >= t.firstId && id <= t.lastId) return true;
    }
    return false;
}

} // namespace

const CodecTraits& traitsOf(Codec codec) {
    return Traits.at(static_cast<size_t>(codec));
}

bool inPrivateStream1(Codec codec) {
    return codec != Codec::Mpeg2 && codec != Codec::H264 && codec != Codec::Vc1 &&
           codec != Codec::MpegAudio && codec != Codec::UnknownStream;
}

uint8_t pesStreamId(Codec codec, uint8_t id) {
    if (codec == Codec::Vc1) return ExtendedStream;
    return inPrivateStream1(codec) ? PrivateStream1 : id;
}

std::optional<uint8_t> pesStreamIdExtension(Codec codec, uint8_t id) {
    if (codec == Codec::Vc1) return id;
    return std::nullopt;
}

int outputIndex(Codec codec, uint8_t id) {
    const CodecTraits& t = traitsOf(codec);
    return (id - t.indexBase) & t.indexMask;
}

void checkId(Codec codec, uint8_t id) {
    const CodecTraits& t = traitsOf(codec);
    const bool unclaimed = codec != Codec::UnknownSubStream || !claimedSubStream(id);
    if (id < t.firstId || id > t.lastId || !unclaimed)
        throw std::invalid_argument("stream id " + std::to_string(id) + " does not fit its codec");
}

} // namespace splitwick::maker
