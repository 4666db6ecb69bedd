#pragma once
#include "report.h"
#include "scan_sink.h"

namespace splitwick {

// The lines Read EVO and Demux alike log as their scans meet them: the system header's, and one
// for each sub-stream left out.
class ScanLines : public ScanSink {
  public:
    explicit ScanLines(Report& report) : report_(report) {}
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override;
    void systemHeader(int videoBound, int audioBound) override;

  protected:
    Report& report_;
};

} // namespace splitwick
