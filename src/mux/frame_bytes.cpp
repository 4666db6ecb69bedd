#include "frame_bytes.h"

#include <algorithm>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/defs.h>
}

namespace splitwick {

namespace {

constexpr size_t Padding = AV_INPUT_BUFFER_PADDING_SIZE;
constexpr size_t SmallestRoom = 1024;

} // namespace

FrameBytes::~FrameBytes() {
    av_buffer_unref(&buffer_);
}

void FrameBytes::reserve(size_t bytes) {
    const size_t room = buffer_ == nullptr ? 0 : size_t(buffer_->size);
    if (bytes + Padding <= room) return;
    size_t wanted = std::max({SmallestRoom, lastTaken_ + Padding, 2 * room});
    while (wanted < bytes + Padding)
        wanted *= 2;
    AVBufferRef* grown = pool_.buffer(wanted);
    if (size_ > 0) std::memcpy(grown->data, buffer_->data, size_);
    av_buffer_unref(&buffer_);
    buffer_ = grown;
}

void FrameBytes::append(const uint8_t* data, size_t length) {
    if (length == 0) return;
    reserve(size_ + length);
    std::memcpy(buffer_->data + size_, data, length);
    size_ += length;
}

AVPacket* FrameBytes::takeFront(size_t length) {
    AVPacket* packet = sparePacket();
    AVBufferRef* taken = buffer_;
    const size_t rest = size_ - length;
    buffer_ = nullptr;
    size_ = 0;
    lastTaken_ = length;
    try {
        append(taken->data + length, rest);
    } catch (...) {
        av_buffer_unref(&taken);
        releasePacket(packet);
        throw;
    }
    std::memset(taken->data + length, 0, Padding);
    packet->buf = taken;
    packet->data = taken->data;
    packet->size = int(length);
    return packet;
}

} // namespace splitwick
