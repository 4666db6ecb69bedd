#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/buffer.h>
}

namespace splitwick {

// Packets holding copies of frames, their bytes taken from pools of buffers of a few sizes: a
// title's frames are cut, written and let go of by the hundred thousand, and a fresh allocation
// for each cost more than cutting them. A buffer goes back to its pool when the muxer lets go of
// its packet, also after the pool's owner is gone.
class PacketPool {
  public:
    PacketPool() = default;
    ~PacketPool();
    PacketPool(const PacketPool&) = delete;
    PacketPool& operator=(const PacketPool&) = delete;

    // A packet of its own holding a copy of these bytes, zeroed padding after them; throws
    // std::bad_alloc.
    AVPacket* packetOf(const uint8_t* data, size_t length);
    // A packet of its own with room for `length` bytes, for the caller to fill, zeroed padding
    // after them; throws std::bad_alloc.
    AVPacket* packetOfLength(size_t length);
    // A buffer of its own of at least `size` bytes; throws std::bad_alloc.
    AVBufferRef* buffer(size_t size);

  private:
    // Buffers of 1 KiB to 4 MiB, each size twice the one before; longer frames get their own.
    static constexpr size_t SmallestSize = 1024;
    static constexpr size_t Sizes = 13;
    std::array<AVBufferPool*, Sizes> pools_{};
};

// A blank packet, one let go of before where there is one; throws std::bad_alloc.
AVPacket* sparePacket();

// Lets go of a packet made by a PacketPool: its reference goes, and the packet itself is kept
// for the next frame cut. An AVPacket allocated and freed for every
// frame was a quarter of the muxing thread's allocations, each aligned and so slow.
void releasePacket(AVPacket*& packet);

} // namespace splitwick
