#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace splitwick {

// Where the fields of an EVO's packs lie, counted in bytes.

// A pack, the unit the files are read and written in.
constexpr size_t PackSize = 2048;
constexpr std::array<uint8_t, 4> PackStartCode = {0x00, 0x00, 0x01, 0xBA};
// pack_start_code, the SCR, program_mux_rate and marker bits up to the byte whose low three bits
// are pack_stuffing_length.
constexpr size_t PackHeaderSize = 14;
constexpr size_t StuffingLengthByte = 13;
constexpr uint8_t StuffingLengthMask = 0x07;

// From a packet's packet_start_code_prefix (00 00 01):
constexpr size_t PacketStreamId = 3;     // stream_id
constexpr size_t PacketFlagsByte = 6;    // '10' PES_scrambling_control PES_priority ...
constexpr size_t PacketHeaderLength = 8; // PES_header_data_length
// A system header's, after its header_length and rate_bound:
constexpr size_t PacketAudioBound = 9;  // audio_bound (upper six bits), fixed_flag, CSPS_flag
constexpr size_t PacketVideoBound = 10; // lock flags, marker, video_bound (lower five bits)

constexpr uint8_t SystemHeaderId = 0xBB;
constexpr uint8_t PrivateStream1 = 0xBD;
constexpr uint8_t ExtendedStream = 0xFD;

// video_bound and audio_bound within their bytes.
constexpr uint8_t VideoBoundMask = 0x1F;
constexpr int AudioBoundShift = 2;
constexpr uint8_t AudioBoundMask = 0x3F;

} // namespace splitwick
