#pragma once
#include "job_events.h"
#include "scan_sink.h"

namespace splitwick {

// The line Read EVO and Demux alike log as their scans meet it: the system header's.
class ScanLines : public ScanSink {
  public:
    explicit ScanLines(JobEvents& events) : events_(events) {}
    void systemHeader(int videoBound, int audioBound) override;

  protected:
    JobEvents& events_;
};

} // namespace splitwick
