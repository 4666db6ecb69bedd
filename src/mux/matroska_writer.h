#pragma once
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "avc_units.h"
#include "engine/background_writes.h"
#include "engine/output_file.h"
#include "engine/stream_timing.h"
#include "frame_cutter.h"
#include "jobs/chapter_file.h"
#include "jobs/mux_plan.h"

namespace splitwick {

// The codec as libavformat names it; LPCM by the size of its stored samples.
AVCodecID avCodecOf(MuxCodec codec, int bitsPerSample);

// A track of the Matroska file as its header declares it.
struct MatroskaTrack {
    MuxCodec codec;
    TrackLabel label;
    bool isDefault = false;
    StreamParameters stream;
    int bitsPerSample = 0;                // LPCM and FLAC: as the samples are stored, 16 or 24
    std::optional<FrameRate> defaultRate; // video: the frame rate its blocks last
    bool forced = false;                  // plays even where its language was not chosen
};

// A frame to store, timed in 90 kHz ticks on the title's timeline.
struct MatroskaBlock {
    size_t track;
    AVPacket* packet; // taken over: the writer frees it
    int64_t pts;
    int64_t dts;
    int64_t duration; // ticks; 0 when the next block tells
    bool key;
};

// Writes a Matroska file with libavformat's muxer into the job's output file: the header with
// the title and the tracks, then the blocks, interleaved by their decoding times, then the
// chapters, cues and sizes. Every failure to store is the output file's "Stream write error".
class MatroskaWriter {
  public:
    explicit MatroskaWriter(OutputFile& out);
    ~MatroskaWriter();
    MatroskaWriter(const MatroskaWriter&) = delete;
    MatroskaWriter& operator=(const MatroskaWriter&) = delete;

    // With clusterCrc each cluster carries a CRC-32 of its content, which costs a third of the
    // muxer's time.
    void start(const std::vector<MatroskaTrack>& tracks, const std::string& title, bool clusterCrc);
    bool started() const { return started_; }
    void write(const MatroskaBlock& block);
    // Chapters end where the next begins, the last at `endTicks`.
    void finish(const TitleChapters& chapters, int64_t endTicks);

  private:
    static int writePacket(void* opaque, uint8_t* data, int length);
    static int64_t seek(void* opaque, int64_t offset, int whence);
    void addStream(const MatroskaTrack& track);
    void addChapters(const TitleChapters& chapters, int64_t endTicks);
    // Throws the output file's error when the muxer failed on it, else a write error.
    void check(int result);

    OutputFile& out_;
    BackgroundWrites writes_; // the file's bytes, stored on a thread of their own
    AVFormatContext* format_ = nullptr;
    AVIOContext* io_ = nullptr;
    uint64_t position_ = 0, end_ = 0;
    std::exception_ptr failure_;
    bool started_ = false;
    // H.264 tracks whose frames go to the muxer as length-prefixed units, by stream
    std::vector<bool> lengthPrefixed_;
    AvcUnits avcUnits_;
};

} // namespace splitwick
