#pragma once
#include "frame_counter.h"
#include "pack_scanner.h"
#include "session.h"

namespace splitwick {

// Takes the scanner's payload runs: counts video frames when cbCountFr is ticked and, in demux
// mode, appends each run to the output slot of its stream while the stream's box is ticked.
// Boxes and options are read at every run, so changes during a scan take effect at once.
class StreamWriter : public ScanSink {
  public:
    StreamWriter(Session& session, bool demuxMode);
    void payload(PayloadRun& run) override;
    void streamFound(const char* text, int index) override;

  private:
    void countFrames(const PayloadRun& run);
    void write(const PayloadRun& run);
    void writeSubpicture(PayloadRun& run);
    bool boxTicked(BoxKind kind, int index, int slots) const;

    Session& session_;
    const bool demuxMode_;
    PacketFrameCounter frames_;
};

} // namespace splitwick
