#include "parser_runs.h"

#include <algorithm>

#include "engine/scan_sink.h"
#include "mux/frame_cutter.h"
#include "mux/mpeg2_frames.h"

namespace splitwick::testing {

namespace {

int64_t fromAv(int64_t stamp) {
    return stamp == AV_NOPTS_VALUE ? NoTimestamp : stamp;
}

int64_t toAv(int64_t stamp) {
    return stamp == NoTimestamp ? AV_NOPTS_VALUE : stamp;
}

} // namespace

std::vector<StampedRun> runsOf(size_t size, size_t most, uint32_t seed) {
    std::vector<StampedRun> runs;
    uint32_t random = seed;
    for (size_t at = 0; at < size;) {
        random = random * 1103515245 + 12345;
        const size_t longest = runs.size() % 7 == 0 ? 4000 : most;
        const size_t length = std::min(size - at, size_t(random >> 8) % longest + 1);
        const int64_t pts = runs.size() % 3 == 2 ? NoTimestamp : int64_t(runs.size()) * 100;
        const int64_t dts = runs.size() % 2 == 0 ? pts : NoTimestamp;
        runs.push_back({at, length, pts, dts});
        at += length;
    }
    return runs;
}

std::vector<ParsedFrame> parsedAlone(AVCodecID codec, const Bytes& padded,
                                     const std::vector<StampedRun>& runs) {
    AVCodecParserContext* parser = av_parser_init(codec);
    AVCodecContext* context = avcodec_alloc_context3(nullptr);
    context->codec_id = codec;
    context->codec_type = avcodec_get_type(codec);
    std::vector<ParsedFrame> frames;
    const auto parse = [&](const uint8_t* data, int length, int64_t pts, int64_t dts) {
        for (int calls = 0; calls < 100000; ++calls) {
            uint8_t* out = nullptr;
            int outLength = 0;
            const int used =
                av_parser_parse2(parser, context, &out, &outLength, data, length, pts, dts, 0);
            if (outLength > 0)
                frames.push_back(
                    {Bytes(out, out + outLength), fromAv(parser->pts), fromAv(parser->dts),
                     context->codec_type == AVMEDIA_TYPE_AUDIO ? parser->duration : 0});
            data += used;
            length -= used;
            pts = dts = AV_NOPTS_VALUE;
            if (length == 0) return;
        }
    };
    for (const StampedRun& run : runs)
        parse(padded.data() + run.at, int(run.length), toAv(run.pts), toAv(run.dts));
    parse(nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE);
    av_parser_close(parser);
    avcodec_free_context(&context);
    return frames;
}

std::vector<ParsedFrame> cutByCutter(AVCodecID codec, const Bytes& padded,
                                     const std::vector<StampedRun>& runs) {
    std::vector<ParsedFrame> frames;
    FrameCutter cutter(codec, [&](const CutFrame& frame) {
        frames.push_back({Bytes(frame.packet->data, frame.packet->data + frame.packet->size),
                          frame.pts, frame.dts, frame.samples});
        AVPacket* packet = frame.packet;
        av_packet_free(&packet);
    });
    for (const StampedRun& run : runs) {
        // Each run in a buffer of its own, as the pass's chunks are: nothing is read before it.
        Bytes own(padded.begin() + long(run.at),
                  padded.begin() + long(run.at + run.length + AV_INPUT_BUFFER_PADDING_SIZE));
        cutter.feed(own.data(), run.length, run.pts, run.dts);
    }
    cutter.finish();
    return frames;
}

std::vector<ParsedFrame> cutByStartCodes(const Bytes& padded, const std::vector<StampedRun>& runs) {
    std::vector<ParsedFrame> frames;
    PacketPool packets;
    Mpeg2Frames cutter(NoTimestamp, packets);
    const auto keep = [&](AVPacket* frame, int64_t pts, int64_t dts) {
        frames.push_back({Bytes(frame->data, frame->data + frame->size), pts, dts, 0});
        releasePacket(frame);
    };
    for (const StampedRun& run : runs)
        cutter.feed(padded.data() + run.at, run.length, run.pts, run.dts, keep);
    cutter.finish(keep);
    return frames;
}

} // namespace splitwick::testing
