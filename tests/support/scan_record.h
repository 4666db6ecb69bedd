#pragma once
// What one scan reports, recorded so that two scans of the same bytes can be compared: the
// scanner and the stream writer must report the same whatever size the reads have.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/pack_scanner.h"

namespace splitwick::testing {

using Bytes = std::vector<uint8_t>;

// One event of a scan: a "found" report, or a packet's payload with its runs joined.
struct ScanEvent {
    // "DD+ audio stream 1", "LPCM header 0x00 0x81 0x80 of 0xA2"; empty for a payload
    std::string found;
    PacketKind kind = PacketKind::None;
    TrackId track;    // of a payload
    uint32_t pts = 0; // pending when the packet's first run came
    Bytes bytes;
    bool operator==(const ScanEvent&) const = default;
};

struct ScanRecord {
    std::vector<ScanEvent> events;
    std::vector<TrackId> tracks; // in the order met
    std::array<int64_t, 2> frames{};
    // Demux mode: the bytes of every output, by file name.
    std::map<std::string, Bytes> outputs;
    bool operator==(const ScanRecord&) const = default;
};

// How reads cut the input: whole, 1 byte, 2047 bytes, or sizes from 1 to 32768 drawn from the
// seed.
enum class Pieces { Whole, OneByte, Odd2047, Random };
std::vector<size_t> pieceSizes(Pieces pieces, size_t total, uint32_t seed = 1);

// Scans the input in reads of the given sizes with the pack scanner and, in check mode, Read
// EVO's stream finder or, in demux mode, the stream writer, with outputs for every stream the
// input holds, created in outputFolder (an existing, empty folder), read back and removed again.
ScanRecord scanInPieces(const Bytes& input, const std::vector<size_t>& pieces, bool demuxMode,
                        const std::string& outputFolder = "");

// Where two records first differ, in words; empty when they are the same.
std::string firstDifference(const ScanRecord& expected, const ScanRecord& actual);

} // namespace splitwick::testing
