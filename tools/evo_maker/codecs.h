#pragma once
#include <cstdint>
#include <optional>

#include "engine/track.h"

namespace splitwick::maker {

// What a made stream is; unknown ids make damaged or foreign content a demux must skip.
enum class Codec : uint8_t {
    Mpeg2,            // PES stream_id 0xE0, 0xE1
    H264,             // 0xE2, 0xE3
    Vc1,              // 0xFD with stream_id_extension 0x55, 0x56
    DD,               // private stream 1, sub-stream id 0x80-0x87
    DtsHd,            // 0x88-0x8F
    Lpcm,             // 0xA0-0xA7
    Mlp,              // 0xB0-0xB7
    DDPlus,           // 0xC0-0xCF
    Subpicture,       // 0x20-0x3F
    ExtSubpicture,    // 0x60-0x7F
    MpegAudio,        // PES stream_id 0xC0-0xCF
    UnknownSubStream, // a private-stream-1 sub-stream id no codec claims
    UnknownStream,    // a PES stream_id a demux does not know: 0xE4-0xEF
};

struct CodecTraits {
    uint8_t firstId, lastId; // the recipe's id range (see StreamRecipe::id)
    uint8_t indexBase, indexMask;
    std::optional<TrackKind> output; // the kind of output a demux writes it to; none: skipped
    uint32_t frameStartCode;         // 0: the stream has no frames to count
    uint32_t defaultUnitBytes;       // mean size of a frame or unit
};

const CodecTraits& traitsOf(Codec codec);

// The PES stream_id of a packet of the stream, and the stream_id_extension of its PES extension
// (VC-1's alone).
uint8_t pesStreamId(Codec codec, uint8_t id);
std::optional<uint8_t> pesStreamIdExtension(Codec codec, uint8_t id);
bool inPrivateStream1(Codec codec);
// The stream's index among its kind's outputs (video 0-1, audio 0-15, subpicture 0-31).
int outputIndex(Codec codec, uint8_t id);
// Throws std::invalid_argument when the id is outside the codec's range, or, for an unknown
// sub-stream, when a codec claims it.
void checkId(Codec codec, uint8_t id);

} // namespace splitwick::maker
