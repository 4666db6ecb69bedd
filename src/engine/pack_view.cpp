#include "pack_view.h"

#include <algorithm>

namespace splitwick {

namespace {

// The stream ids whose packets carry video, audio or subpictures; the system header, padding,
// navigation and stream-map packets are never encrypted.
bool isMediaStream(uint8_t id) {
    return id == PrivateStream1 || id == ExtendedStream || (id >= 0xC0 && id <= 0xEF);
}

// PES header fields behind PES_header_data_length, as the flags byte before it announces them:
// the flag's bit and the field's size. PTS and DTS come first, by PTS_DTS_flags.
struct OptionalField {
    uint8_t flag;
    uint8_t size;
};
constexpr OptionalField AfterTimestamps[] = {
    {0x20, 6}, // ESCR
    {0x10, 3}, // ES_rate
    {0x08, 1}, // DSM_trick_mode
    {0x04, 1}, // additional_copy_info
    {0x02, 2}, // previous_PES_packet_CRC
};
// The PES extension's, behind its flags byte; pack_header_field has a length of its own.
constexpr OptionalField InExtension[] = {
    {0x80, 16}, // PES_private_data
    {0x20, 2},  // program_packet_sequence_counter
    {0x10, 2},  // P-STD_buffer
};
constexpr uint8_t PackHeaderFieldFlag = 0x40;
constexpr uint8_t ExtensionFlag2 = 0x01;
constexpr uint8_t PesExtensionFlag = 0x01;

} // namespace

PackView::PackView(std::span<const uint8_t> pack) : pack_(pack) {
    isPack_ = pack.size() >= PackStartCode.size() &&
              std::equal(PackStartCode.begin(), PackStartCode.end(), pack.begin());
    if (!isPack_ || pack.size() <= PackHeaderSize) return;
    const size_t packet = PackHeaderSize + (pack[StuffingLengthByte] & StuffingLengthMask);
    if (packet + PacketStreamId >= pack.size() || pack[packet] != 0 || pack[packet + 1] != 0 ||
        pack[packet + 2] != 1)
        return;
    packetAt_ = packet;
    streamId_ = pack[packet + PacketStreamId];
    if (*streamId_ == SystemHeaderId) {
        if (packet + PacketAudioBound < pack.size()) boundsAt_ = packet + PacketAudioBound;
        return;
    }
    readPesHeader(packet);
}

void PackView::readPesHeader(size_t packet) {
    if (packet + PacketFlagsByte < pack_.size())
        // PES_scrambling_control: bits 5 and 4.
        scrambled_ = isMediaStream(*streamId_) && ((pack_[packet + PacketFlagsByte] >> 4) & 3) != 0;
    if (packet + PacketHeaderLength >= pack_.size()) return;
    const size_t payload = packet + PacketHeaderLength + 1 + pack_[packet + PacketHeaderLength];
    // A private stream 1 packet's payload begins with its sub-stream id.
    if (*streamId_ == PrivateStream1 && payload < pack_.size()) namingByteAt_ = payload;
    if (*streamId_ == ExtendedStream) namingByteAt_ = extensionAt(packet);
}

std::optional<size_t> PackView::extensionAt(size_t packet) const {
    const size_t end = std::min(
        packet + PacketHeaderLength + 1 + pack_[packet + PacketHeaderLength], pack_.size());
    const uint8_t flags = pack_[packet + PacketHeaderLength - 1];
    if (!(flags & PesExtensionFlag)) return std::nullopt;
    // PTS_DTS_flags '10': a PTS; '11': a PTS and a DTS.
    size_t at = packet + PacketHeaderLength + 1 +
                ((flags >> 6) == 2   ? 5
                 : (flags >> 6) == 3 ? 10
                                     : 0);
    for (const OptionalField& field : AfterTimestamps)
        if (flags & field.flag) at += field.size;
    if (at >= end) return std::nullopt;
    const uint8_t extensionFlags = pack_[at++];
    for (const OptionalField& field : InExtension)
        if (extensionFlags & field.flag) at += field.size;
    if (extensionFlags & PackHeaderFieldFlag) {
        if (at >= end) return std::nullopt;
        at += 1 + pack_[at]; // pack_field_length
    }
    if (!(extensionFlags & ExtensionFlag2)) return std::nullopt;
    // PES_extension_field_length, then stream_id_extension.
    ++at;
    if (at >= end) return std::nullopt;
    return at;
}

std::optional<SystemBounds> PackView::bounds() const {
    if (!boundsAt_ || *boundsAt_ + 1 >= pack_.size()) return std::nullopt;
    return SystemBounds{pack_[*boundsAt_ + 1] & VideoBoundMask,
                        (pack_[*boundsAt_] >> AudioBoundShift) & AudioBoundMask};
}

void PackView::writeBounds(std::span<uint8_t> boundBytes, SystemBounds bounds) {
    if (!boundBytes.empty())
        boundBytes[0] = uint8_t((boundBytes[0] & ~(AudioBoundMask << AudioBoundShift)) +
                                (bounds.audio << AudioBoundShift));
    if (boundBytes.size() > 1)
        boundBytes[1] = uint8_t((boundBytes[1] & ~VideoBoundMask) + bounds.video);
}

} // namespace splitwick
