#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "dts_frames.h"
#include "mpeg2_frames.h"
#include "packet_pool.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
}

namespace splitwick {

// One coded frame (access unit, audio frame) cut from an elementary stream, with the
// timestamps the packet it began in carried; NoTimestamp where none did.
struct CutFrame {
    AVPacket* packet; // owned by the receiver; its data is the frame's bytes
    int64_t pts;
    int64_t dts;
    bool key;
    int64_t samples; // audio: the frame's length in samples at sampleRate(); 0 when unknown
};

// What the frames of a stream say about it, once the first has been cut: a Matroska track
// needs these before its first block.
struct StreamParameters {
    int width = 0, height = 0;
    AVRational frameRate{0, 1}; // as the stream's headers give it; 0/1 when they do not
    int sampleRate = 0, channels = 0;
    std::vector<uint8_t> extradata; // the sequence header, SPS and PPS: the decoder's setup
};

// Cuts an elementary stream, handed in as payload runs split anywhere, into frames with
// libavcodec's parser for its codec. Each packet's timestamps go in with its first run; the
// parser gives them to the frame that begins in that packet. Video frames are also looked
// into for the decoder setup (extradata) until it is found.
class FrameCutter {
  public:
    using Receiver = std::function<void(const CutFrame&)>;

    FrameCutter(AVCodecID codec, Receiver receiver);
    ~FrameCutter();
    FrameCutter(const FrameCutter&) = delete;
    FrameCutter& operator=(const FrameCutter&) = delete;

    // The parsers read up to AV_INPUT_BUFFER_PADDING_SIZE bytes past the run: they must be
    // there to read (the pass's chunks and the writer's batches carry zeroed room after them).
    void feed(const uint8_t* data, size_t length, int64_t pts, int64_t dts);
    // The stream has ended: the frame the parser still holds comes out.
    void finish();

    // Set once a frame has come out; for video, once the setup has also been found.
    bool ready() const;
    const StreamParameters& parameters() const { return parameters_; }

  private:
    void parse(const uint8_t* data, int length, int64_t pts, int64_t dts);
    // A DTS run goes to the cutter by frame sizes while the stream keeps its layout.
    void cutDts(const uint8_t* data, int length, int64_t pts, int64_t dts);
    // Where the DTS and MPEG-2 cutters' whole frames go.
    DtsFrames::Receiver wholeFrames();
    // A whole frame: the parser only reads its header.
    void cutWhole(AVPacket* packet, int64_t pts, int64_t dts);
    void cut(AVPacket* packet);
    // Hands on the frame held back and holds this one; an end-of-sequence code the parser cut
    // as a frame of its own goes with the frame before instead.
    void pass(const CutFrame& frame);
    void lookForExtradata(const AVPacket& frame);

    Receiver receiver_;
    PacketPool packets_;
    AVCodecContext* context_ = nullptr;
    AVCodecParserContext* parser_ = nullptr;
    AVBSFContext* extradataFilter_ = nullptr; // video only, until the setup is found
    AVPacket* probe_ = nullptr;
    std::unique_ptr<DtsFrames> dtsFrames_;
    std::unique_ptr<Mpeg2Frames> mpeg2Frames_;
    StreamParameters parameters_;
    std::optional<CutFrame> held_; // the last frame cut, until the next shows it is not alone
    bool framesCut_ = false;
};

// The sample rate and channels of an audio frame as the codec's decoder gives them; 0 each when
// it does not decode.
StreamParameters decodedFormat(AVCodecID codec, const AVPacket& frame);

} // namespace splitwick
