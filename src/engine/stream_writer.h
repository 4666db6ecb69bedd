#pragma once
#include <bitset>

#include "output_set.h"
#include "scan_lines.h"

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

  private:
    void writeSubpicture(PayloadRun& run);
    void writeWav(LpcmWavFile& wav, const PayloadRun& run);

    const OutputSet& outputs_;
    std::bitset<16> reportedNotLpcm_;
};

} // namespace splitwick
