#include "mux_plan.h"

#include <array>

#include "engine/stream_codecs.h"

namespace splitwick {

namespace {

struct CodecInfo {
    MuxCodec codec;
    BoxKind kind;
    const char* name;
    const char* extension; // of its stream file, named by codec
};

constexpr std::array<CodecInfo, 9> Codecs = {{
    {MuxCodec::Mpeg2, BoxKind::Video, "MPEG-2", "m2v"},
    {MuxCodec::H264, BoxKind::Video, "H.264", "h264"},
    {MuxCodec::Vc1, BoxKind::Video, "VC-1", "vc1"},
    {MuxCodec::Ac3, BoxKind::Audio, "AC-3", "ac3"},
    {MuxCodec::Eac3, BoxKind::Audio, "E-AC-3", "eac3"},
    {MuxCodec::Dts, BoxKind::Audio, "DTS", "dts"},
    {MuxCodec::TrueHd, BoxKind::Audio, "TrueHD", "thd"},
    {MuxCodec::LpcmWav, BoxKind::Audio, "LPCM", "pcm"},
    {MuxCodec::Pgs, BoxKind::Subpicture, "PGS", "sup"},
}};

struct LabelCodec {
    const char* text; // what a label begins with, before its next "."
    MuxCodec codec;
};

// The codec names of Read EVO's labels ("DTSHD.stream.00") and those playlists give their
// attribute items, with the common names of the same codecs.
constexpr std::array<LabelCodec, 17> LabelCodecs = {{
    {"MPEG-2", MuxCodec::Mpeg2},
    {"H.264", MuxCodec::H264},
    {"AVC", MuxCodec::H264},
    {"MPEG-4 AVC", MuxCodec::H264},
    {"VC-1", MuxCodec::Vc1},
    {"DD", MuxCodec::Ac3},
    {"AC-3", MuxCodec::Ac3},
    {"DD+", MuxCodec::Eac3},
    {"E-AC-3", MuxCodec::Eac3},
    {"DTSHD", MuxCodec::Dts},
    {"DTS-HD", MuxCodec::Dts},
    {"DTS", MuxCodec::Dts},
    {"MLP", MuxCodec::TrueHd},
    {"TrueHD", MuxCodec::TrueHd},
    {"LPCM", MuxCodec::LpcmWav},
    {"PCM", MuxCodec::LpcmWav},
    {"WAV", MuxCodec::LpcmWav},
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

std::optional<MuxCodec> muxCodec(Box box, const std::string& label, int32_t streamId) {
    // The stream's own identifier names its label the way Read EVO does.
    const std::string fromId = streamName(box.kind, streamId);
    const std::string& text = fromId.empty() ? label : fromId;
    for (const LabelCodec& entry : LabelCodecs) {
        const std::string prefix = std::string(entry.text) + ".";
        if (text.starts_with(prefix) && info(entry.codec).kind == box.kind) return entry.codec;
    }
    return std::nullopt;
}

bool takesMeasuredRate(MuxCodec codec) {
    return codec == MuxCodec::H264 || codec == MuxCodec::Vc1;
}

std::string ownTimingLine(const MuxPlan& plan) {
    for (const MuxTrack& track : plan.tracks)
        if (takesMeasuredRate(track.codec) && track.frameRate && !isDiscRate(*track.frameRate))
            return "Video frame rate " + track.frameRate->text() +
                   " fps is none a disc plays at: the video track keeps its stream's own timing";
    return "";
}

std::optional<size_t> defaultAudioTrack(const MuxPlan& plan) {
    std::optional<size_t> first;
    for (size_t i = 0; i < plan.tracks.size(); ++i) {
        const Box box = plan.tracks[i].box;
        if (box.kind != BoxKind::Audio) continue;
        if (box == plan.playlistFirstAudio) return i;
        if (!first) first = i;
    }
    return first;
}

} // namespace splitwick
