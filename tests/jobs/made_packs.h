#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "evo_maker/pes_builder.h"

// Single 2048-byte packs of one stream each, made with the test-file maker's packet builder:
// a 14-byte pack header, one PES packet with a PTS (H = 5) and a 100-byte payload, and a padding
// packet over the rest. So the stream_id lies at offset 17, a sub-stream id at 28 and a VC-1
// stream_id_extension at 22 + H.
namespace splitwick::testing {

using maker::Bytes;
using Packs = std::vector<Bytes>;

// MPEG-2 (0xE0, 0xE1), H.264 (0xE2, 0xE3), MPEG audio (0xC0 to 0xDF): a packet of the stream_id.
Bytes streamPack(uint8_t streamId);
// A private stream 1 packet of the sub-stream id, with the sub-stream header of its kind.
Bytes subStreamPack(uint8_t subStreamId);
// An extended stream (0xFD) packet of the stream_id_extension.
Bytes extendedPack(uint8_t extension);
// A system header with the bounds, then a navigation packet.
Bytes systemHeaderPack(int videoBound, int audioBound);

// The pack with one byte changed.
Bytes withByte(Bytes pack, size_t offset, uint8_t value);

// Where a made pack carries its stream's identifier.
constexpr size_t StreamIdAt = 17;
constexpr size_t SubStreamIdAt = 28;
constexpr size_t ExtensionAt = 30; // H is 8 there: PTS, extension flags, length, extension

Bytes joined(const Packs& packs);
void writePacks(const std::string& path, const Packs& packs);

} // namespace splitwick::testing
