#pragma once
#include <bitset>

#include "output_set.h"
#include "report.h"
#include "scan_sink.h"

namespace splitwick {

// Demux's side of a scan: appends each run to the stream output of its box, and a subpicture
// packet's PTS to the box's .pts file; a stream whose box has no output is passed over. An LPCM
// stream written as WAV gets each packet's header and only LPCM samples. Logs the lines of the
// sub-streams left out and the system header line.
class StreamWriter : public ScanSink {
  public:
    StreamWriter(const OutputSet& outputs, Report& report) : outputs_(outputs), report_(report) {}
    void payload(PayloadRun& run) override;
    void lpcmHeader(int audioIndex, const LpcmHeader& header) override;
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override;
    void systemHeader(int videoBound, int audioBound) override;

  private:
    void writeSubpicture(PayloadRun& run);
    void writeWav(LpcmWavFile& wav, const PayloadRun& run);

    const OutputSet& outputs_;
    Report& report_;
    std::bitset<16> reportedNotLpcm_;
};

} // namespace splitwick
