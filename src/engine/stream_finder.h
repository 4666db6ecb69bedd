#pragma once
#include "controls.h"
#include "frame_counter.h"
#include "report.h"
#include "scan_sink.h"

namespace splitwick {

// Read EVO's side of a scan: a "found!" line for the first stream met for each table entry, and
// the system header line; the frames of both video streams are counted while cbCountFr is
// ticked, which is read at every run.
class StreamFinder : public ScanSink {
  public:
    StreamFinder(Report& report, const Controls& controls, FrameCounts& frames)
        : report_(report), controls_(controls), frames_(frames) {}
    void payload(PayloadRun& run) override;
    void streamFound(const StreamCodec& codec, int index) override;
    void systemHeader(int videoBound, int audioBound) override;

  private:
    Report& report_;
    const Controls& controls_;
    FrameCounts& frames_;
    PacketFrameCounter counter_;
};

} // namespace splitwick
