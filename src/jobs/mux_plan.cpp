#include "mux_plan.h"

#include <array>

namespace splitwick {

namespace {

struct CodecInfo {
    MuxCodec codec;
    const char* name;
    const char* extension; // of its stream file, named by codec
};

constexpr std::array<CodecInfo, 10> Codecs = {{
    {MuxCodec::Mpeg2, "MPEG-2", "m2v"},
    {MuxCodec::H264, "H.264", "h264"},
    {MuxCodec::Vc1, "VC-1", "vc1"},
    {MuxCodec::Ac3, "AC-3", "ac3"},
    {MuxCodec::Eac3, "E-AC-3", "eac3"},
    {MuxCodec::Dts, "DTS", "dts"},
    {MuxCodec::TrueHd, "TrueHD", "thd"},
    {MuxCodec::LpcmWav, "LPCM", "pcm"},
    {MuxCodec::Flac, "FLAC", "flac"},
    {MuxCodec::Pgs, "PGS", "sup"},
}};

// Codecs is indexed by the codec.
constexpr bool inCodecOrder() {
    for (size_t i = 0; i < Codecs.size(); ++i)
        if (static_cast<size_t>(Codecs[i].codec) != i) return false;
    return true;
}
static_assert(inCodecOrder());

const CodecInfo& info(MuxCodec codec) {
    return Codecs[static_cast<size_t>(codec)];
}

} // namespace

std::string codecName(MuxCodec codec) {
    return info(codec).name;
}

std::string codecExtension(MuxCodec codec) {
    return info(codec).extension;
}

std::optional<MuxCodec> muxCodecOf(Codec codec) {
    switch (codec) {
    case Codec::Mpeg2:
        return MuxCodec::Mpeg2;
    case Codec::H264:
        return MuxCodec::H264;
    case Codec::Vc1:
        return MuxCodec::Vc1;
    case Codec::Ac3:
        return MuxCodec::Ac3;
    case Codec::Eac3:
        return MuxCodec::Eac3;
    case Codec::Dts:
        return MuxCodec::Dts;
    case Codec::TrueHd:
        return MuxCodec::TrueHd;
    case Codec::Lpcm:
        return MuxCodec::LpcmWav;
    case Codec::Subpicture:
        return MuxCodec::Pgs;
    case Codec::MpegAudio:
        break;
    }
    return std::nullopt;
}

bool takesMeasuredRate(MuxCodec codec) {
    return codec == MuxCodec::H264 || codec == MuxCodec::Vc1;
}

std::string ownTimingLine(MuxCodec codec, const FrameRate& measured) {
    if (!takesMeasuredRate(codec) || isDiscRate(measured)) return "";
    return "Video frame rate " + measured.text() +
           " fps is none a disc plays at: the video track keeps its stream's own timing";
}

} // namespace splitwick
