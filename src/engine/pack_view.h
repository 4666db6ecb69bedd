#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "pack_layout.h"

namespace splitwick {

// The numbers of video and audio streams a system header announces (video_bound, audio_bound).
struct SystemBounds {
    int video = 0;
    int audio = 0;
    bool operator==(const SystemBounds&) const = default;
};

// The fields of one 2048-byte pack that the jobs read and edit, found in one reading: the pack
// header with its pack_stuffing_length, and the first packet behind it, a PES packet (its
// stream_id, PES_scrambling_control and the byte that names its stream: a private stream 1
// packet's sub-stream id, an extended stream's stream_id_extension, reached through the header's
// flags) or a system header (its bounds). Nothing outside the bytes given is read: a field they
// do not reach is absent, as is every field of bytes that are no pack.
class PackView {
  public:
    explicit PackView(std::span<const uint8_t> pack);

    bool isPack() const { return isPack_; }
    // Where the first packet's start code (00 00 01) lies.
    std::optional<size_t> packetAt() const { return packetAt_; }
    // The first packet's stream_id (0xBB for a system header).
    std::optional<uint8_t> streamId() const { return streamId_; }
    // Where the byte that names the stream lies, for a private stream 1 or extended stream packet.
    std::optional<size_t> namingByteAt() const { return namingByteAt_; }
    // A video, audio or subpicture packet whose PES_scrambling_control is not '00'.
    bool scrambled() const { return scrambled_; }
    // A system header's bounds, and where their two bytes lie.
    std::optional<SystemBounds> bounds() const;
    std::optional<size_t> boundsAt() const { return boundsAt_; }

    // Sets the bounds of a system header whose bytes are these (from boundsAt on, as many of
    // its two as there are).
    static void writeBounds(std::span<uint8_t> boundBytes, SystemBounds bounds);

  private:
    void readPesHeader(size_t packet);
    // Where the stream_id_extension of an extended stream packet lies, through the flags of its
    // PES header: none when the header names none.
    std::optional<size_t> extensionAt(size_t packet) const;

    std::span<const uint8_t> pack_;
    bool isPack_ = false;
    std::optional<size_t> packetAt_;
    std::optional<uint8_t> streamId_;
    std::optional<size_t> namingByteAt_;
    std::optional<size_t> boundsAt_;
    bool scrambled_ = false;
};

} // namespace splitwick
