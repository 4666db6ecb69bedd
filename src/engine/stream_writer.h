#pragma once
#include "job_events.h"
#include "output_set.h"
#include "timing_recorder.h"
#include "title_clock.h"

namespace splitwick {

// Demux's side of a scan: appends each run to its track's stream output, and a subpicture
// packet's PTS to the track's .pts file; a track without outputs is passed over. An LPCM track
// written as WAV gets each packet's header and the samples; a subpicture track converted to
// PGS gets whole runs, placed on the title's timeline.
class StreamWriter : public ScanSink {
  public:
    StreamWriter(const OutputSet& outputs, JobEvents& events)
        : outputs_(outputs), events_(events) {}
    void payload(PayloadRun& run) override;
    void lpcmHeader(const Track& track, const LpcmHeader& header) override;
    // The scan of a part begins, timed by this recorder: subpictures converted to PGS are placed
    // on the title's timeline by the first presented picture it settles.
    void timeBy(const TimingRecorder& recorder) { recorder_ = &recorder; }
    // The part's scan ended with this timing: the PGS outputs place the units still waiting.
    void endPart(const PartTiming& part);

  private:
    void writeSubpicture(PayloadRun& run);

    const OutputSet& outputs_;
    JobEvents& events_;
    const TimingRecorder* recorder_ = nullptr;
    TitleClock clock_;
    std::vector<PgsStreamFile*> pgs_; // met so far, each once
};

} // namespace splitwick
