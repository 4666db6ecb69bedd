#pragma once
#include <cstddef>
#include <cstdint>

#include "packet_pool.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/buffer.h>
}

namespace splitwick {

// The bytes a frame cutter holds over from one run to the next, gathered in a buffer that
// becomes the packet of the frame they begin: a frame that spans runs is copied once, into its
// packet, not once into the held bytes and again out of them. There is always room for a
// packet's padding behind the bytes, zeroed as a frame is taken.
class FrameBytes {
  public:
    explicit FrameBytes(PacketPool& pool) : pool_(pool) {}
    ~FrameBytes();
    FrameBytes(const FrameBytes&) = delete;
    FrameBytes& operator=(const FrameBytes&) = delete;

    const uint8_t* data() const { return buffer_ == nullptr ? nullptr : buffer_->data; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Throws std::bad_alloc.
    void append(const uint8_t* data, size_t length);
    void clear() { size_ = 0; }
    // A packet of its own holding the first `length` bytes (at least one, at most all); the
    // bytes after them (a few, of the next frame) stay held. Throws std::bad_alloc.
    AVPacket* takeFront(size_t length);

  private:
    void reserve(size_t bytes);

    PacketPool& pool_;
    AVBufferRef* buffer_ = nullptr;
    size_t size_ = 0;
    // The last frame taken: the next one's buffer is made with room for as much, as a stream's
    // frames are alike in size, and grows by doubling past it (a copy each time).
    size_t lastTaken_ = 0;
};

} // namespace splitwick
