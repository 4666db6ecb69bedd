#pragma once
#include <array>

#include "demuxed_files.h"
#include "engine/boxes.h"
#include "engine/report.h"
#include "engine/scan_sink.h"
#include "engine/stream_choice.h"

namespace splitwick {

// Where the title a playlist gives and its EVO disagree, in a Demux after Read XPL. A stream
// the EVO carries that the title does not list has no box and is left out; a stream the title
// lists that the EVO lacks gets no file. Each is said once, in a line of its own.
class TitleMismatch : public ScanSink {
  public:
    // Active only while the streams are the title's; otherwise it says nothing and drops nothing.
    TitleMismatch(Report& report, const StreamChoice& streams, bool streamsFromTitle)
        : report_(report), streams_(streams), active_(streamsFromTitle) {}

    // A stream met for the first time the title does not name: "DD+ audio stream 1
    // in the EVO, not in the title: left out".
    void streamFound(const StreamCodec& codec, int index) override;
    // Notes which boxes' streams came.
    void payload(PayloadRun& run) override;

    // Once the whole title was scanned: removes the files of the chosen streams that never came
    // and says so, "LABEL in the title, not in the EVO"; they leave the files written.
    void dropStreamsNeverMet(DemuxedFiles& files);

  private:
    Report& report_;
    const StreamChoice& streams_;
    const bool active_;
    std::array<bool, BoxCount> met_{};
};

} // namespace splitwick
