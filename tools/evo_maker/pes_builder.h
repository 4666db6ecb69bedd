#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/lpcm_format.h"

// The low level of the test-file maker: the exact bytes of one pack header, system header, PES
// packet, sub-stream header or padding packet of an MPEG-2 program stream as HD DVD EVO files
// use it. Tests build scanner edge cases from these; the recipe level builds whole files.
namespace splitwick::maker {

using Bytes = std::vector<uint8_t>;

constexpr size_t PackSize = 2048;
constexpr size_t PackHeaderSize = 14;
constexpr size_t SystemHeaderSize = 24;
constexpr size_t PesStartSize = 6;       // 00 00 01 stream_id PES_packet_length
constexpr size_t PesFixedHeaderSize = 3; // '10' flags byte, flags, PES_header_data_length
constexpr size_t MinPaddingPacket = PesStartSize;

constexpr uint8_t PrivateStream1 = 0xBD;
constexpr uint8_t PaddingStream = 0xBE;
constexpr uint8_t NavigationStream = 0xBF; // private stream 2
constexpr uint8_t ExtendedStream = 0xFD;   // VC-1, told apart by stream_id_extension

// HD DVD's 30.24 Mbit/s in units of 50 bytes/s.
constexpr uint32_t DefaultMuxRate = 75600;
constexpr uint64_t ScrPerPack = 49; // 90 kHz ticks: 2048 bytes at that rate

// The optional fields of a PES header, written in the order the format fixes.
struct PesHeader {
    std::optional<uint64_t> pts;              // 33 bits
    std::optional<uint64_t> dts;              // written only together with a PTS
    bool pstd = false;                        // PES extension with P-STD_buffer fields
    std::optional<uint8_t> streamIdExtension; // PES extension 2 (VC-1: 0x55, 0x56)
    uint8_t stuffing = 0;                     // 0xFF bytes closing the header data
    std::optional<uint16_t> packetLength;     // a PES_packet_length other than the true one
};

// PES_header_data_length for these fields.
size_t headerDataLength(const PesHeader& header);
// All bytes in front of the packet's body: start code, length, fixed header, header data.
size_t pesHeaderSize(const PesHeader& header);

// 00 00 01 BA, SCR (27 MHz extension 0), program_mux_rate, pack_stuffing_length 0.
void appendPackHeader(Bytes& out, uint64_t scr, uint32_t muxRate = DefaultMuxRate);
// 00 00 01 BB with video_bound and audio_bound, and entries for all video, all audio, private
// streams 1 and 2.
void appendSystemHeader(Bytes& out, int videoBound, int audioBound);
// The PES header of a packet whose body (sub-stream header and payload) has bodyLength bytes.
void appendPesHeader(Bytes& out, uint8_t streamId, const PesHeader& header, size_t bodyLength);
// A padding packet (0xBE) of totalBytes in all, at least 6, its data bytes set to fill.
void appendPaddingPacket(Bytes& out, size_t totalBytes, uint8_t fill = 0xFF);
// A private-stream-2 packet of totalBytes in all (navigation data: PCI or DSI), at least 7.
void appendNavigationPacket(Bytes& out, size_t totalBytes, uint8_t subStreamId);

// The navigation data of a pack: a PCI and a DSI packet over all the room left in it, or a DSI
// packet alone where the room is too small for both.
void fillWithNavigation(Bytes& pack);

// A whole PES packet: header and body.
Bytes pesPacket(uint8_t streamId, const PesHeader& header, const Bytes& body);

// The private-stream-1 sub-stream header that goes in front of a payload, by the id's range:
// 1 byte for subpictures, 7 for LPCM, 5 for MLP, 4 for DD, DD+, DTS-HD and any other id.
// This one says: one access unit, beginning with the payload; LPCM 16 bit 48 kHz 2 channels.
Bytes subStreamHeader(uint8_t subStreamId);
size_t subStreamHeaderSize(uint8_t subStreamId);

// The fields of an audio sub-stream header: number_of_frame_headers (access units beginning in
// the packet), first_access_unit_pointer, and for LPCM the byte that codes the sample format.
struct AudioUnits {
    uint8_t count = 1;
    uint16_t firstPointer = 1;
    uint8_t lpcmCoding = 0x01; // 16 bit, 48 kHz, 2 channels
};
Bytes subStreamHeader(uint8_t subStreamId, const AudioUnits& units);
// The LPCM header byte of a sample format: quantization_word_length, audio_sampling_frequency
// and number_of_audio_channels less one.
uint8_t lpcmCoding(const LpcmFormat& format);
// first_access_unit_pointer for a unit that begins at that offset of the payload: it counts
// from the pointer's own last byte, so LPCM's three header bytes behind it count too.
uint16_t firstAccessUnitPointer(uint8_t subStreamId, size_t payloadOffset);

// One 2048-byte pack: pack header, the pieces in order, and a padding packet over the rest.
// Throws std::invalid_argument when the pieces leave 1 to 5 bytes (too few for padding) or
// overflow the pack.
Bytes pack(uint64_t scr, const std::vector<Bytes>& pieces);

} // namespace splitwick::maker
