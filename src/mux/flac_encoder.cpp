#include "flac_encoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace splitwick {

namespace {

// The encoder's samples are native 16- or 32-bit integers; a 24-bit one sits in the high bits
// of its 32, which the encoder shifts down by 32 - bits_per_raw_sample.
void store16(const uint8_t* in, size_t values, uint8_t* out) {
    for (size_t i = 0; i < values; ++i, in += 2, out += sizeof(int16_t)) {
        const auto value = int16_t(uint16_t(in[0] | in[1] << 8));
        std::memcpy(out, &value, sizeof value);
    }
}

void store24(const uint8_t* in, size_t values, uint8_t* out) {
    for (size_t i = 0; i < values; ++i, in += 3, out += sizeof(int32_t)) {
        const auto value =
            int32_t(uint32_t(in[0]) << 8 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 24);
        std::memcpy(out, &value, sizeof value);
    }
}

void check(int result) {
    if (result >= 0) return;
    if (result == AVERROR(ENOMEM)) throw std::bad_alloc();
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, text, sizeof text);
    throw std::runtime_error(std::string("FLAC encoder failed: ") + text);
}

} // namespace

FlacEncoder::FlacEncoder(const LpcmFormat& format, int level, Receiver receiver)
    : receiver_(std::move(receiver)) {
    if (level < 0 || level > MaxFlacLevel)
        throw std::invalid_argument("FLAC compression level " + std::to_string(level) +
                                    " is not 0 to " + std::to_string(MaxFlacLevel));
    const bool wide = format.bitsPerSample > 16;
    store_ = wide ? store24 : store16;
    inSampleBytes_ = wide ? 3 : 2;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
    if (codec == nullptr) throw std::runtime_error("no FLAC encoder");
    context_.reset(avcodec_alloc_context3(codec));
    block_.reset(av_frame_alloc());
    if (!context_ || !block_) throw std::bad_alloc();
    AVCodecContext& context = *context_;
    // The encoder writes 16 or 24 bits a sample, no other size: 20-bit samples go in as the
    // 24-bit ones they are stored as, their low four bits 0, which each subframe codes once as
    // wasted bits rather than in every sample.
    context.sample_fmt = wide ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S16;
    context.bits_per_raw_sample = wide ? 24 : 16;
    context.sample_rate = format.sampleRate;
    context.time_base = {1, format.sampleRate};
    // A FLAC frame codes only the channel count; the speakers are the container's to tell.
    context.ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
    context.ch_layout.nb_channels = format.channels;
    context.compression_level = level;
    check(avcodec_open2(&context, codec, nullptr));
    parameters_.sampleRate = format.sampleRate;
    parameters_.channels = format.channels;
    parameters_.extradata.assign(context.extradata, context.extradata + context.extradata_size);
    block_->format = context.sample_fmt;
    block_->nb_samples = context.frame_size;
    check(av_channel_layout_copy(&block_->ch_layout, &context.ch_layout));
    check(av_frame_get_buffer(block_.get(), 0));
}

void FlacEncoder::encode(std::span<const uint8_t> samples) {
    pcmBytes_ += samples.size();
    const size_t channels = size_t(context_->ch_layout.nb_channels);
    const size_t blockFrames = size_t(context_->frame_size);
    const size_t outSampleBytes = size_t(av_get_bytes_per_sample(context_->sample_fmt));
    const uint8_t* in = samples.data();
    size_t frames = samples.size() / (inSampleBytes_ * channels);
    while (frames > 0) {
        // The encoder may still hold the block sent before.
        if (blockFilled_ == 0) check(av_frame_make_writable(block_.get()));
        const size_t taken = std::min(frames, blockFrames - blockFilled_);
        store_(in, taken * channels, block_->data[0] + blockFilled_ * channels * outSampleBytes);
        in += taken * channels * inSampleBytes_;
        frames -= taken;
        blockFilled_ += taken;
        if (blockFilled_ == blockFrames) send(block_.get());
    }
}

void FlacEncoder::finish() {
    if (blockFilled_ > 0) send(block_.get());
    send(nullptr);
    handOut(nullptr);
}

void FlacEncoder::send(AVFrame* block) {
    if (block != nullptr) {
        block->nb_samples = int(blockFilled_);
        block->pts = samplesSent_;
        samplesSent_ += int64_t(blockFilled_);
        blockFilled_ = 0;
    }
    check(avcodec_send_frame(context_.get(), block));
    for (;;) {
        Packet packet(av_packet_alloc());
        if (!packet) throw std::bad_alloc();
        const int result = avcodec_receive_packet(context_.get(), packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
        check(result);
        handOut(std::move(packet));
    }
}

void FlacEncoder::handOut(Packet next) {
    // At the end the encoder gives the final STREAMINFO in a packet of its own, without a
    // frame: it goes to the last frame.
    if (next && next->size == 0) {
        size_t size = 0;
        const uint8_t* info = av_packet_get_side_data(next.get(), AV_PKT_DATA_NEW_EXTRADATA, &size);
        if (info == nullptr || !held_) return;
        uint8_t* copy = av_packet_new_side_data(held_.get(), AV_PKT_DATA_NEW_EXTRADATA, size);
        if (copy == nullptr) throw std::bad_alloc();
        std::memcpy(copy, info, size);
        return;
    }
    if (Packet ready = std::exchange(held_, std::move(next))) {
        flacBytes_ += uint64_t(ready->size);
        const FlacFrame frame{ready.get(), ready->pts, ready->duration};
        ready.release();
        receiver_(frame);
    }
}

} // namespace splitwick
