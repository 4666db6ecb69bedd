#include "packet_pool.h"

#include <climits>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

extern "C" {
#include <libavcodec/defs.h>
}

namespace splitwick {

namespace {

// Packets let go of, without a reference, to be filled again. One list for the process, not one
// a thread: its lock is never contended (a mux makes and lets go of its packets on one thread),
// and the module's thread-local storage would be allocated and freed behind the threads' backs.
class SparePackets {
  public:
    ~SparePackets() {
        for (AVPacket*& packet : packets_)
            av_packet_free(&packet);
    }
    AVPacket* take() {
        {
            std::lock_guard lock(mutex_);
            if (!packets_.empty()) {
                AVPacket* packet = packets_.back();
                packets_.pop_back();
                return packet;
            }
        }
        return av_packet_alloc();
    }
    void keep(AVPacket*& packet) {
        av_packet_unref(packet);
        std::lock_guard lock(mutex_);
        if (packets_.size() < Most) {
            packets_.push_back(packet);
            packet = nullptr;
        } else {
            av_packet_free(&packet);
        }
    }

  private:
    // More than the frames a mux holds at once only take memory.
    static constexpr size_t Most = 1024;
    std::mutex mutex_;
    std::vector<AVPacket*> packets_;
};

SparePackets spare;

} // namespace

AVPacket* sparePacket() {
    AVPacket* packet = spare.take();
    if (packet == nullptr) throw std::bad_alloc();
    return packet;
}

void releasePacket(AVPacket*& packet) {
    if (packet != nullptr) spare.keep(packet);
}

PacketPool::~PacketPool() {
    for (AVBufferPool*& pool : pools_)
        av_buffer_pool_uninit(&pool);
}

AVBufferRef* PacketPool::buffer(size_t needed) {
    size_t size = SmallestSize, at = 0;
    while (at < Sizes && size < needed) {
        size *= 2;
        ++at;
    }
    AVBufferRef* buffer = nullptr;
    if (at < Sizes) {
        if (pools_[at] == nullptr) pools_[at] = av_buffer_pool_init(size, nullptr);
        if (pools_[at] != nullptr) buffer = av_buffer_pool_get(pools_[at]);
    } else if (needed <= size_t(INT_MAX)) {
        buffer = av_buffer_alloc(needed);
    }
    if (buffer == nullptr) throw std::bad_alloc();
    return buffer;
}

AVPacket* PacketPool::packetOf(const uint8_t* data, size_t length) {
    AVPacket* packet = packetOfLength(length);
    std::memcpy(packet->data, data, length);
    return packet;
}

AVPacket* PacketPool::packetOfLength(size_t length) {
    AVPacket* packet = sparePacket();
    try {
        packet->buf = buffer(length + AV_INPUT_BUFFER_PADDING_SIZE);
    } catch (...) {
        av_packet_free(&packet);
        throw;
    }
    packet->data = packet->buf->data;
    packet->size = int(length);
    std::memset(packet->data + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    return packet;
}

} // namespace splitwick
