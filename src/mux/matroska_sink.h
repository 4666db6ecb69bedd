#pragma once
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "block_times.h"
#include "engine/lpcm_samples.h"
#include "engine/pgs_stream_file.h"
#include "engine/timing_recorder.h"
#include "engine/title_clock.h"
#include "frame_cutter.h"
#include "jobs/pass_writer.h"
#include "matroska_output.h"
#include "matroska_writer.h"
#include "mkv_of_demux.h"
#include "mpeg2_order.h"
#include "pgs_display_sets.h"

namespace splitwick {

// Writes the chosen streams of a Demux's pass into one Matroska file, from the same payload
// runs: video and audio cut into frames, LPCM as WAV samples, subpictures as PGS display sets,
// each timed on the title's timeline (from video stream 0's first presented picture; a later
// part begins where a disc title's playlist places its clip, else where the part before's
// video ended). The file's header needs every track's
// setup, which its first frames give, and the timeline its first second: until both are known
// (or too much is waiting), the frames wait in memory. A track with no frame by then is left
// out, as are audio frames before the picture's start. The file is written as OUTPUT.XXXXXX.part
// and takes its name when finish() has written all of it; otherwise it goes with the sink.
class MatroskaSink : public MatroskaOutput {
  public:
    MatroskaSink(MatroskaSetup setup, Report& report);
    ~MatroskaSink() override;

    bool chosen(Box box, const std::string& label, int32_t streamId) override;
    bool filesToo() const override { return setup_.streamFilesToo; }
    void payload(PayloadRun& run) override;
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override;
    void partEnded() override;

    // After the last part: writes the frames still waiting, the chapters and the index; the
    // file takes its name. Throws JobError when no chosen stream could go in.
    void finish() override;

    // The file made: its tracks in box order, labelled, with the first part's delays, and the
    // streams of the pass's files that it does not take.
    MkvOfDemux made(const DemuxedFiles& files) const override;

  private:
    struct Frame {
        AVPacket* packet;
        int part; // whose clock times it; -1: timed on the title's timeline already
        std::optional<int64_t> pts, dts;
        int64_t samplesTicks;
        bool key;
        std::optional<int64_t> framesShownAfter; // MPEG-2: from its temporal_reference
    };
    struct Track;

    Track* track(Box box) const;
    MuxPlan plan() const;
    Track* trackOf(const PayloadRun& run) const;
    void cutFrame(Track& track, const CutFrame& frame);
    void lpcmSamples(Track& track, const PayloadRun& run);
    void subpicture(Track& track, PayloadRun& run);
    void add(Track& track, Frame frame);
    bool anyReady() const;
    // The header, once every track is set up and the timeline known, or too much waits.
    void startWhenReady();
    // Throws when no track is set up.
    void start();
    // A part without video stream 0 (or whose video carries no timestamps) is timed from the
    // first timestamp of its streams instead.
    void settleWithoutPicture();
    // Where the playlist places the part of this number on the title's timeline, in ticks.
    std::optional<int64_t> placedPart(size_t part) const;
    // Writes the track's waiting frames that can be timed.
    void drain(Track& track);
    std::optional<int64_t> titleTicks(const Frame& frame, std::optional<int64_t> stamp) const;
    const TitleClock& clock() const { return clocks_.back(); }
    // Where a subpicture stream's lines about its units go.
    Report& unitLines(const Track& track);

    MatroskaSetup setup_;
    Report& report_;
    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<MatroskaWriter> writer_;
    std::vector<std::unique_ptr<Track>> tracks_; // in the order met
    std::vector<Track*> written_;                // the file's tracks, in box order
    std::vector<Box> late_; // streams met after the header, written beside the file instead
    TimingRecorder timing_;
    // One per part, the last the one being read; the PGS converter holds on to it meanwhile.
    std::deque<TitleClock> clocks_{1};
    size_t waitingBytes_ = 0;
    std::optional<int64_t> partEarliest_; // the earliest PTS of the part's chosen streams
    bool pictureStamped_ = false;         // video stream 0 of the part has carried a PTS
    int64_t endTicks_ = 0;
};

} // namespace splitwick
