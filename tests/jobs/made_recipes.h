#pragma once
#include "evo_maker/evo_maker.h"

namespace splitwick::testing {

// Every codec with an output of its own, and two streams a demux skips: a sub-stream id that
// no codec claims, met before any audio, and MPEG audio met after DD audio 0.
inline maker::Recipe everyCodecRecipe() {
    using maker::Codec;
    maker::Recipe recipe;
    recipe.streams = {
        {Codec::UnknownSubStream, 0x05, 1},
        {Codec::Mpeg2, 0xE0, 12},
        {Codec::H264, 0xE3, 12},
        {Codec::DD, 0x80, 2},
        {Codec::DtsHd, 0x89, 2},
        {Codec::Lpcm, 0xA2, 2},
        {Codec::Mlp, 0xB3, 2},
        {Codec::DDPlus, 0xC4, 2},
        {Codec::DDPlus, 0xCF, 2},
        {Codec::Subpicture, 0x23, 1},
        {Codec::ExtSubpicture, 0x65, 1},
        {Codec::MpegAudio, 0xC0, 1},
    };
    recipe.size = 3 * 1048576;
    return recipe;
}

// Damage of every kind around streams of every kind, and streams no box takes; the caller
// chooses where the file ends (truncateLastPack).
inline maker::Recipe damagedRecipe() {
    using maker::Codec;
    maker::Recipe recipe;
    recipe.streams = {
        {Codec::Mpeg2, 0xE0, 8},         {Codec::DDPlus, 0xC2, 1},
        {Codec::Lpcm, 0xA0, 1},          {Codec::Subpicture, 0x22, 1},
        {Codec::UnknownStream, 0xE5, 1}, {Codec::UnknownSubStream, 0x92, 1},
        {Codec::MpegAudio, 0xC1, 1},
    };
    recipe.size = 2 * 1048576;
    recipe.varyHeaders = true;
    recipe.zeroLengthEvery = 7; // packets that claim PES_packet_length 0
    recipe.garbageEvery = 2;    // garbage between packs
    return recipe;
}

} // namespace splitwick::testing
