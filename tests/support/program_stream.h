#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "test_files.h"

namespace splitwick::testing {

// A packet of a program stream laid out as a muxer writes it: packs, each a pack header
// followed by whole packets.
struct StreamPacket {
    uint8_t streamId;
    size_t start; // its start code
    size_t end;   // behind its last byte
    // The first byte behind the PES header, for packets that have one.
    size_t payload(const Bytes& file) const { return start + 9 + file[start + 8]; }
};

// The packets, walked by their lengths. Throws std::runtime_error where the file is not laid
// out so.
std::vector<StreamPacket> streamPackets(const Bytes& file);

// An LPCM packet of private stream 1: where its three LPCM header bytes and its samples lie.
struct LpcmPacket {
    size_t header;
    size_t samples;
    size_t end;
};

std::vector<LpcmPacket> lpcmPackets(const Bytes& file);

} // namespace splitwick::testing
