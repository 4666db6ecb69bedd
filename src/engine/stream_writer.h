#pragma once
#include <bitset>

#include "output_set.h"
#include "scan_lines.h"
#include "timing_recorder.h"
#include "title_clock.h"

namespace splitwick {

// Demux's side of a scan: appends each run to the stream output of its box, and a subpicture
// packet's PTS to the box's .pts file; a stream whose box has no output is passed over. An LPCM
// stream written as WAV gets each packet's header and only LPCM samples. Logs the lines of every
// scan.
class StreamWriter : public ScanLines {
  public:
    StreamWriter(const OutputSet& outputs, Report& report) : ScanLines(report), outputs_(outputs) {}
    void payload(PayloadRun& run) override;
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override;
    // The scan of a part begins, timed by this recorder: subpictures converted to PGS are placed
    // on the title's timeline by the first presented picture it settles.
    void timeBy(const TimingRecorder& recorder) { recorder_ = &recorder; }
    // The part's scan ended with this timing: the PGS outputs place the units still waiting.
    void endPart(const PartTiming& part);

  private:
    void writeSubpicture(PayloadRun& run);
    void writeWav(LpcmWavFile& wav, const PayloadRun& run);

    const OutputSet& outputs_;
    std::bitset<16> reportedNotLpcm_;
    const TimingRecorder* recorder_ = nullptr;
    TitleClock clock_;
};

} // namespace splitwick
