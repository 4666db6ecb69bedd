#pragma once
#include "report.h"
#include "scan_sink.h"

namespace splitwick {

// Read EVO's side of a scan: a "found!" line for the first stream met for each table entry, a
// line for each sub-stream left out, and the system header line.
class StreamFinder : public ScanSink {
  public:
    explicit StreamFinder(Report& report) : report_(report) {}
    void streamFound(const StreamCodec& codec, int index) override;
    void streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                       int keptId) override;
    void systemHeader(int videoBound, int audioBound) override;

  private:
    Report& report_;
};

} // namespace splitwick
