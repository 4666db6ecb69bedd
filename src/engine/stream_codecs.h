#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace splitwick {

// What a stream carries.
enum class TrackKind { Video, Audio, Subpicture };

enum class VideoCodec : uint8_t { Mpeg2, H264, Vc1 };

// The coding of a stream's payload, whatever identifiers carry it.
enum class Codec : uint8_t {
    Mpeg2,
    H264,
    Vc1,
    Ac3,
    Eac3,
    Dts,
    TrueHd,
    Lpcm,
    MpegAudio,
    Subpicture
};

// Where a packet carries the identifier that tells its stream.
enum class IdField : uint8_t {
    StreamId,  // the PES stream_id
    Extension, // the stream_id_extension of an extended stream (stream_id 0xFD)
    SubStream, // the first payload byte of a private stream 1 packet (stream_id 0xBD)
};

// Identifiers from first to last, both included; none when first is above last.
struct IdRange {
    uint8_t first, last;
    constexpr bool holds(int id) const { return id >= first && id <= last; }
};
constexpr IdRange NoIds{1, 0};

// How the rebuild gives a kept stream its new identifier: the old one's fixed bits, plus a base,
// plus the count of its kind kept before it. Capacity is how many the low bits can number.
struct Numbering {
    uint8_t fixedBits;
    uint8_t base;
    int capacity;
};

// One codec of the HD DVD program stream and the identifiers it goes by. Each part of the
// system reads its own column: the scanner the identifiers it takes for the codec (scanned;
// the stream's index is the identifier less the range's first), the stream names their
// label, the rebuild the identifiers its drop test covers and how it numbers those it keeps.
struct StreamCodec {
    Codec codec;
    TrackKind kind;
    IdField field;
    IdRange scanned;
    VideoCodec video;         // the frame start code of a video codec
    uint8_t extraHeaderBytes; // sub-stream header bytes behind the common four (LPCM, MLP)
    const char* codecName;    // as the scan's lines name it: "DD+" in "DD+ audio stream 1 found!"
    const char* name;         // the first part of a label; nullptr: the stream has no track
    IdRange dropped;
    Numbering numbering;

    // The stream's index within its kind (0 to 31), for a scanned identifier.
    constexpr int index(int id) const { return id - scanned.first; }
};

constexpr Numbering VideoStreamIds{0xFE, 0x00, 2}; // bit 1 tells MPEG-2 from H.264
constexpr Numbering AudioInEights{0xF8, 0x00, 8};
constexpr Numbering AudioInSixteens{0x00, 0xC0, 16};
constexpr Numbering Subpictures{0xE0, 0x00, 32};

// MPEG audio packets are parsed past and their payload dropped: they have no track.
// The rebuild still drops and numbers them as audio, over a wider range of stream ids. Inline:
// one table for the whole program, so that a codec's address names it everywhere.
inline constexpr std::array<StreamCodec, 12> StreamCodecs = {{
    {Codec::Mpeg2,
     TrackKind::Video,
     IdField::StreamId,
     {0xE0, 0xE1},
     VideoCodec::Mpeg2,
     0,
     "MPEG-2",
     "MPEG-2.stream",
     {0xE0, 0xE1},
     VideoStreamIds},
    {Codec::H264,
     TrackKind::Video,
     IdField::StreamId,
     {0xE2, 0xE3},
     VideoCodec::H264,
     0,
     "H.264",
     "H.264.stream",
     {0xE2, 0xE3},
     VideoStreamIds},
    {Codec::Vc1,
     TrackKind::Video,
     IdField::Extension,
     {0x55, 0x56},
     VideoCodec::Vc1,
     0,
     "VC-1",
     "VC-1.stream",
     {0x55, 0x56},
     {0x00, 0x55, 2}},
    {Codec::Ac3,
     TrackKind::Audio,
     IdField::SubStream,
     {0x80, 0x87},
     VideoCodec::Mpeg2,
     0,
     "DD",
     "DD.stream",
     {0x80, 0x87},
     AudioInEights},
    {Codec::Dts,
     TrackKind::Audio,
     IdField::SubStream,
     {0x88, 0x8F},
     VideoCodec::Mpeg2,
     0,
     "DTS HD",
     "DTSHD.stream",
     {0x88, 0x8F},
     AudioInEights},
    {Codec::Lpcm,
     TrackKind::Audio,
     IdField::SubStream,
     {0xA0, 0xA7},
     VideoCodec::Mpeg2,
     3,
     "LPCM",
     "LPCM.stream",
     {0xA0, 0xA7},
     AudioInEights},
    {Codec::TrueHd,
     TrackKind::Audio,
     IdField::SubStream,
     {0xB0, 0xB7},
     VideoCodec::Mpeg2,
     1,
     "MLP",
     "MLP.stream",
     {0xB0, 0xB7},
     AudioInEights},
    {Codec::Eac3,
     TrackKind::Audio,
     IdField::SubStream,
     {0xC0, 0xCF},
     VideoCodec::Mpeg2,
     0,
     "DD+",
     "DD+.stream",
     {0xC0, 0xCF},
     AudioInSixteens},
    {Codec::MpegAudio,
     TrackKind::Audio,
     IdField::StreamId,
     {0xC0, 0xCF},
     VideoCodec::Mpeg2,
     0,
     nullptr,
     nullptr,
     {0xC0, 0xCF},
     AudioInSixteens},
    {Codec::MpegAudio,
     TrackKind::Audio,
     IdField::StreamId,
     NoIds,
     VideoCodec::Mpeg2,
     0,
     nullptr,
     nullptr,
     {0xD0, 0xDF},
     AudioInEights},
    {Codec::Subpicture,
     TrackKind::Subpicture,
     IdField::SubStream,
     {0x20, 0x3F},
     VideoCodec::Mpeg2,
     0,
     "Subpicture",
     "Subpicture",
     {0x20, 0x3F},
     Subpictures},
    {Codec::Subpicture,
     TrackKind::Subpicture,
     IdField::SubStream,
     {0x60, 0x7F},
     VideoCodec::Mpeg2,
     0,
     "Extended subpicture",
     "Ext.Subpicture",
     {0x60, 0x7F},
     Subpictures},
}};

// LPCM: its packets give the sample format in their extra header bytes, and only its samples may
// go into a WAV file.
inline constexpr const StreamCodec& LpcmCodec = StreamCodecs[5];
static_assert(LpcmCodec.scanned.first == 0xA0 && LpcmCodec.extraHeaderBytes == 3);

// "0x88".
std::string hexId(int id);

// The stream of this codec and index as the scan's lines name it: "DD+ audio stream 1",
// "Subpicture stream 3".
std::string streamLabel(const StreamCodec& codec, int index);

} // namespace splitwick
