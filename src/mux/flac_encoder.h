#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/lpcm_format.h"
#include "frame_cutter.h"
#include "jobs/job_request.h"

namespace splitwick {

// A FLAC frame, timed by its first sample: the count of sample frames before it in the stream.
struct FlacFrame {
    AVPacket* packet; // owned by the receiver
    int64_t firstSample;
    int64_t samples;
};

// Encodes an LPCM stream's samples, as LpcmSamples converts them (little-endian, 16 or 24 bits,
// interleaved), into FLAC frames with libavcodec's encoder, losslessly: 16-bit samples stay 16
// bits, 20- and 24-bit ones go in as 24 bits. The last frame carries the final STREAMINFO
// (total samples, MD5) as AV_PKT_DATA_NEW_EXTRADATA side data, which the Matroska muxer writes
// over the header's when the file is seekable.
class FlacEncoder {
  public:
    using Receiver = std::function<void(const FlacFrame&)>;

    // `level`: the compression level, 0 to MaxFlacLevel.
    FlacEncoder(const LpcmFormat& format, int level, Receiver receiver);

    // Whole sample frames only; a frame comes out each time the encoder's block is full.
    void encode(std::span<const uint8_t> samples);
    // The stream has ended: the last, shorter block and the final STREAMINFO come out.
    void finish();

    // What the Matroska header needs from the start: sample rate, channels, and the STREAMINFO
    // without its total and MD5, of the same size as the final one.
    const StreamParameters& parameters() const { return parameters_; }
    int bitsPerSample() const { return context_->bits_per_raw_sample; }
    // The samples' bytes that went in, as a PCM track stores them, and the FLAC frames' bytes
    // that came out.
    uint64_t pcmBytes() const { return pcmBytes_; }
    uint64_t flacBytes() const { return flacBytes_; }

  private:
    struct Free {
        void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
        void operator()(AVFrame* frame) const { av_frame_free(&frame); }
        void operator()(AVPacket* packet) const { av_packet_free(&packet); }
    };
    using Packet = std::unique_ptr<AVPacket, Free>;
    using Store = void (*)(const uint8_t* in, size_t values, uint8_t* out);

    // Sends the block as far as it is filled (nullptr: the end) and hands out what comes back.
    void send(AVFrame* block);
    // Hands out the frame held back, so that the last one can take the final STREAMINFO.
    void handOut(Packet next);

    Receiver receiver_;
    std::unique_ptr<AVCodecContext, Free> context_;
    std::unique_ptr<AVFrame, Free> block_;
    Packet held_;
    Store store_;
    size_t inSampleBytes_;
    size_t blockFilled_ = 0; // sample frames in block_
    int64_t samplesSent_ = 0;
    StreamParameters parameters_;
    uint64_t pcmBytes_ = 0, flacBytes_ = 0;
};

} // namespace splitwick
