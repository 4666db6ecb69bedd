#include "frame_cutter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "engine/scan_sink.h"

namespace splitwick {

namespace {

int64_t toAv(int64_t timestamp) {
    return timestamp == NoTimestamp ? AV_NOPTS_VALUE : timestamp;
}

int64_t fromAv(int64_t timestamp) {
    return timestamp == AV_NOPTS_VALUE ? NoTimestamp : timestamp;
}

// The start codes that end a sequence: MPEG-2's sequence_end_code, VC-1's end-of-sequence and
// H.264's end_of_seq and end_of_stream NAL units (nal_unit_type 10 and 11).
struct EndCode {
    AVCodecID codec;
    uint8_t code;
};
constexpr EndCode EndCodes[] = {{AV_CODEC_ID_MPEG2VIDEO, 0xB7},
                                {AV_CODEC_ID_VC1, 0x0A},
                                {AV_CODEC_ID_H264, 0x0A},
                                {AV_CODEC_ID_H264, 0x0B}};

bool isEndCode(AVCodecID codec, uint8_t code) {
    return std::any_of(std::begin(EndCodes), std::end(EndCodes),
                       [&](const EndCode& end) { return end.codec == codec && end.code == code; });
}

// Whether the frame holds nothing but end codes (each 00 00 01 xx, zero bytes between).
bool onlyEndCodes(AVCodecID codec, const AVPacket& frame) {
    bool any = false;
    for (int at = 0; at < frame.size;) {
        if (frame.data[at] == 0 &&
            (at + 3 >= frame.size || frame.data[at + 1] != 0 || frame.data[at + 2] != 1)) {
            ++at;
            continue;
        }
        if (at + 3 >= frame.size || !isEndCode(codec, frame.data[at + 3])) return false;
        any = true;
        at += 4;
    }
    return any;
}

} // namespace

StreamParameters decodedFormat(AVCodecID codec, const AVPacket& frame) {
    const AVCodec* decoder = avcodec_find_decoder(codec);
    AVCodecContext* context = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    AVFrame* decoded = av_frame_alloc();
    StreamParameters format;
    if (context != nullptr && decoded != nullptr && avcodec_open2(context, decoder, nullptr) == 0 &&
        avcodec_send_packet(context, &frame) == 0 && avcodec_receive_frame(context, decoded) == 0) {
        format.sampleRate = decoded->sample_rate;
        format.channels = decoded->ch_layout.nb_channels;
    }
    av_frame_free(&decoded);
    avcodec_free_context(&context);
    return format;
}

FrameCutter::FrameCutter(AVCodecID codec, Receiver receiver) : receiver_(std::move(receiver)) {
    context_ = avcodec_alloc_context3(nullptr);
    parser_ = av_parser_init(codec);
    probe_ = av_packet_alloc();
    if (context_ == nullptr || parser_ == nullptr || probe_ == nullptr)
        throw std::runtime_error("no parser for " + std::string(avcodec_get_name(codec)));
    context_->codec_id = codec;
    context_->codec_type = avcodec_get_type(codec);
    // The H.264 parser dates frames without a timestamp from the stream's timing SEI.
    context_->pkt_timebase = {1, 90000};
    if (codec == AV_CODEC_ID_DTS) {
        dtsFrames_ = std::make_unique<DtsFrames>(AV_NOPTS_VALUE, packets_);
        parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }
    if (codec == AV_CODEC_ID_MPEG2VIDEO) {
        mpeg2Frames_ = std::make_unique<Mpeg2Frames>(AV_NOPTS_VALUE, packets_);
        parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }
    if (context_->codec_type != AVMEDIA_TYPE_VIDEO) return;
    const AVBitStreamFilter* filter = av_bsf_get_by_name("extract_extradata");
    if (filter == nullptr || av_bsf_alloc(filter, &extradataFilter_) < 0)
        throw std::runtime_error("no extract_extradata filter");
    extradataFilter_->par_in->codec_id = codec;
    extradataFilter_->par_in->codec_type = AVMEDIA_TYPE_VIDEO;
    if (av_bsf_init(extradataFilter_) < 0) throw std::runtime_error("extract_extradata failed");
}

FrameCutter::~FrameCutter() {
    if (held_) av_packet_free(&held_->packet);
    av_bsf_free(&extradataFilter_);
    av_packet_free(&probe_);
    av_parser_close(parser_);
    avcodec_free_context(&context_);
}

bool FrameCutter::ready() const {
    if (!framesCut_) return false;
    if (context_->codec_type == AVMEDIA_TYPE_VIDEO) return !parameters_.extradata.empty();
    return parameters_.sampleRate > 0;
}

void FrameCutter::feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts) {
    // The parser takes an int's worth at a time; runs are at most a pack long.
    while (length > 0) {
        const int piece = int(std::min<size_t>(length, 1 << 20));
        if (dtsFrames_)
            cutDts(data, piece, toAv(pts), toAv(dts));
        else if (mpeg2Frames_)
            mpeg2Frames_->feed(data, size_t(piece), toAv(pts), toAv(dts), wholeFrames());
        else
            parse(data, piece, toAv(pts), toAv(dts));
        data += piece;
        length -= size_t(piece);
        pts = dts = NoTimestamp;
    }
}

void FrameCutter::finish() {
    if (dtsFrames_) dtsFrames_->finish(wholeFrames());
    if (mpeg2Frames_) mpeg2Frames_->finish(wholeFrames());
    parse(nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE);
    if (!held_) return;
    const CutFrame last = *held_;
    held_.reset();
    receiver_(last);
}

void FrameCutter::pass(const CutFrame& frame) {
    if (held_ && onlyEndCodes(context_->codec_id, *frame.packet)) {
        AVPacket* end = frame.packet;
        const int at = held_->packet->size;
        if (av_grow_packet(held_->packet, end->size) < 0) {
            av_packet_free(&end);
            throw std::bad_alloc();
        }
        std::memcpy(held_->packet->data + at, end->data, size_t(end->size));
        av_packet_free(&end);
        return;
    }
    std::optional<CutFrame> before = held_;
    held_ = frame;
    if (before) receiver_(*before);
}

void FrameCutter::parse(const uint8_t* data, int length, int64_t pts, int64_t dts) {
    // The parser may take the bytes in several calls, a frame coming out of any of them; with
    // none left, one call flushes what it holds. A call may take no byte and give no frame
    // (the TrueHD parser, as it finds its first sync), but not twice running.
    for (int idle = 0; idle < 2;) {
        uint8_t* frame = nullptr;
        int frameLength = 0;
        const int used =
            av_parser_parse2(parser_, context_, &frame, &frameLength, data, length, pts, dts, 0);
        if (frameLength > 0) cut(packets_.packetOf(frame, size_t(frameLength)));
        if (length == 0) return;
        idle = used > 0 || frameLength > 0 ? 0 : idle + 1;
        data += used;
        length -= used;
        pts = dts = AV_NOPTS_VALUE;
        if (length == 0) return;
    }
}

void FrameCutter::cutDts(const uint8_t* data, int length, int64_t pts, int64_t dts) {
    if (dtsFrames_->feed(data, size_t(length), pts, dts, wholeFrames())) return;
    // From the frame that left the layout on, the parser searches as it would have.
    std::vector<DtsFrames::Run> rest = dtsFrames_->rest();
    dtsFrames_.reset();
    parser_->flags &= ~PARSER_FLAG_COMPLETE_FRAMES;
    for (DtsFrames::Run& run : rest) {
        const int size = int(run.bytes.size());
        run.bytes.resize(run.bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE);
        parse(run.bytes.data(), size, run.pts, run.dts);
    }
}

DtsFrames::Receiver FrameCutter::wholeFrames() {
    return [this](AVPacket* packet, int64_t pts, int64_t dts) { cutWhole(packet, pts, dts); };
}

void FrameCutter::cutWhole(AVPacket* packet, int64_t pts, int64_t dts) {
    // A whole frame comes back out at once, with the stamps given and the frame's length.
    uint8_t* frame = nullptr;
    int frameLength = 0;
    av_parser_parse2(parser_, context_, &frame, &frameLength, packet->data, packet->size, pts, dts,
                     0);
    cut(packet);
}

void FrameCutter::cut(AVPacket* packet) {
    framesCut_ = true;
    const bool video = context_->codec_type == AVMEDIA_TYPE_VIDEO;
    if (video) {
        parameters_.width = parser_->width > 0 ? parser_->width : context_->width;
        parameters_.height = parser_->height > 0 ? parser_->height : context_->height;
        parameters_.frameRate = context_->framerate;
        if (parameters_.extradata.empty()) lookForExtradata(*packet);
    } else if (parameters_.channels == 0 || parameters_.sampleRate == 0) {
        // Once known, kept: where the parser does not tell the channels, a frame is decoded to
        // learn them, and a decoder for every frame would cost more than the rest of the mux.
        parameters_.sampleRate = context_->sample_rate;
        parameters_.channels = context_->ch_layout.nb_channels;
        // Only the AC-3 parser tells the channels, and not for E-AC-3: the frame decoded does.
        if (parameters_.channels == 0)
            parameters_.channels = decodedFormat(context_->codec_id, *packet).channels;
    }
    // Audio frames all stand alone; the MPEG-2 and VC-1 parsers mark no key frames, only
    // intra-coded pictures.
    const bool key = !video || parser_->key_frame == 1 ||
                     (parser_->key_frame < 0 && parser_->pict_type == AV_PICTURE_TYPE_I);
    pass({packet, fromAv(parser_->pts), fromAv(parser_->dts), key,
          video ? 0 : int64_t(parser_->duration)});
}

void FrameCutter::lookForExtradata(const AVPacket& frame) {
    if (av_packet_ref(probe_, &frame) < 0 || av_bsf_send_packet(extradataFilter_, probe_) < 0) {
        av_packet_unref(probe_);
        return;
    }
    while (av_bsf_receive_packet(extradataFilter_, probe_) == 0) {
        size_t size = 0;
        const uint8_t* extradata =
            av_packet_get_side_data(probe_, AV_PKT_DATA_NEW_EXTRADATA, &size);
        if (extradata != nullptr && size > 0 && parameters_.extradata.empty())
            parameters_.extradata.assign(extradata, extradata + size);
        av_packet_unref(probe_);
    }
}

} // namespace splitwick
