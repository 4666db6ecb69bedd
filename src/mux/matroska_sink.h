#pragma once
#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dts_core.h"
#include "engine/lpcm_samples.h"
#include "engine/pgs_stream_file.h"
#include "engine/timing_recorder.h"
#include "engine/title_clock.h"
#include "flac_track.h"
#include "frame_cutter.h"
#include "jobs/pass_writer.h"
#include "matroska_writer.h"
#include "mpeg2_order.h"
#include "packet_pool.h"
#include "pgs_display_sets.h"
#include "seam.h"
#include "track_clock.h"

namespace splitwick {

// Writes the tracks a demux's plan puts into one Matroska file, from the pass's payload runs:
// video and audio cut into frames, LPCM as WAV samples or FLAC, a DTS-HD track's core beside it
// when the plan asks, subpictures as PGS display sets, each timed by its track's clock on the
// title's timeline (from video stream 0's first presented picture; a later part begins where its
// seam says). The file's header needs every track's setup, which its first frames give, and the
// timeline its first second: until both are known (or too much is waiting), the frames wait in
// memory. An audio or subtitle track with no frame by then is
// left out (told at the end), a chosen video without one fails the file; audio frames before the
// picture's start are left out. The file is written as OUTPUT.XXXXXX.part
// and takes its name when finish() has written all of it; otherwise it goes with the sink.
class MatroskaSink : public PassWriter {
  public:
    // Creates the file: the job's source is open, which it must not name.
    explicit MatroskaSink(const MkvSetup& setup);
    ~MatroskaSink() override;

    bool addTrack(const TrackPlan& plan) override;
    void payload(PayloadRun& run) override;
    void lpcmHeader(const Track& track, const LpcmHeader& header) override;
    void partEnded() override;

    // After the last part: writes the frames still waiting, the chapters and the index; the
    // file takes its name. Throws JobError when no chosen stream could go in.
    void finish(const TitleChapters& chapters) override;

    // The file's tracks in track order, with the first part's delays.
    std::vector<TrackPlan> tracks() const override;
    std::vector<TrackPlan> leftOut() const override { return leftOut_; }

  private:
    struct Frame {
        AVPacket* packet;
        int part; // whose clock times it; -1: timed on the title's timeline already
        std::optional<int64_t> pts, dts;
        int64_t counts; // how far it moves its track's clock: 1 picture, its samples
        bool key;
        std::optional<int64_t> framesShownAfter; // MPEG-2: from its temporal_reference
    };
    struct MuxedTrack;

    MuxedTrack* track(TrackId id) const;
    // The track of a DTS track's core, which the plan asks for beside it.
    void addCore(MuxedTrack& dts);
    void cutFrame(MuxedTrack& track, const CutFrame& frame);
    void lpcmSamples(MuxedTrack& track, const PayloadRun& run);
    void subpicture(MuxedTrack& track, PayloadRun& run);
    void add(MuxedTrack& track, Frame frame);
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
    // The part being read now knows its first presented picture: where it begins follows.
    void settlePart(int64_t referencePts);
    SeamFacts seamFacts(const PartTiming& part, size_t later) const;
    // The sound at the end of a part waits for the next part's first frame, which may overlap
    // it; a frame that does is left out whole.
    enum class AtSeam { Waits, Goes, LeftOut };
    AtSeam atSeam(const MuxedTrack& track) const;
    void leaveOutAtSeam(MuxedTrack& track);
    void sayWhatSeamLeftOut(MuxedTrack& track);
    // Writes the track's waiting frames that can be timed.
    void drain(MuxedTrack& track);
    std::optional<int64_t> titleTicks(const Frame& frame, std::optional<int64_t> stamp) const;
    // The frame as its track's clock takes it; none while its part's timeline is not known.
    std::optional<ClockFrame> clockFrame(const Frame& frame) const;
    // The frames behind the track's first waiting one that its clock may look at.
    std::vector<ClockFrame> laterFrames(const MuxedTrack& track) const;
    TrackClock clockOf(const MuxedTrack& track, const MatroskaTrack& made) const;
    const TitleClock& clock() const { return clocks_.back(); }
    // Where a subpicture stream's lines about its units go.
    JobEvents& unitLines(const MuxedTrack& track);

    const MkvSetup setup_;
    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<MatroskaWriter> writer_;
    std::vector<std::unique_ptr<MuxedTrack>> tracks_; // in the order met
    std::vector<MuxedTrack*> written_;                // the file's tracks, in track order
    std::vector<TrackPlan> leftOut_;                  // chosen, but no frame came in time
    std::array<int16_t, 3 * 256> byKey_;              // each track's place in tracks_
    TimingRecorder timing_;
    PacketPool packets_;   // subpictures' display sets and LPCM's samples
    PartTiming firstPart_; // its streams' delays are the tracks' in the file
    // One per part, the last the one being read; the PGS converter holds on to it meanwhile.
    std::deque<TitleClock> clocks_{1};
    size_t waitingBytes_ = 0;
    std::optional<int64_t> partEarliest_; // the earliest PTS of the part's chosen streams
    bool pictureStamped_ = false;         // video stream 0 of the part has carried a PTS
    int64_t endTicks_ = 0;
    bool finishing_ = false;        // no frame comes after those waiting
    std::optional<SeamFacts> seam_; // where the part being read begins, until it is settled
    std::vector<std::pair<int64_t, std::string>> partStarts_; // of the later parts: where, file
};

} // namespace splitwick
