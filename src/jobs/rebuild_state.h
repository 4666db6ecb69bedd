#pragma once
#include <array>
#include <cstdint>

#include "engine/boxes.h"

namespace splitwick {

// What the rebuild keeps for the whole run of the program, beside the Session: the window and
// the command line each own one. Reset at the start of each Rebuild command, not between the
// two parts of a split title, so the numbering carries over into the second part.
struct RebuildState {
    static constexpr uint8_t Unassigned = 255;

    RebuildState() { reset(); }
    void reset();

    // The new identifier of an old one, by the old one's value: a stream_id and a sub-stream or
    // extension id of the same value share an entry.
    std::array<uint8_t, 256> IdMap;
    // Streams of each kind given a new identifier so far: the low bits of the next one.
    uint8_t KeptVideo;
    uint8_t KeptAudio;
    uint8_t KeptSubpicture;

    uint8_t& kept(BoxKind kind);
};

} // namespace splitwick
