#pragma once
#include <string>

#include "scan_lines.h"

namespace splitwick {

// Read EVO's side of a scan: a "found!" line for each track as it is first met, besides the
// lines of every scan. It keeps the system header's bounds against the streams met, so that a
// scan stopped early can say how many it did not reach.
class StreamFinder : public ScanLines {
  public:
    using ScanLines::ScanLines;
    void trackFound(const Track& track) override;
    void systemHeader(int videoBound, int audioBound) override;

    // The line for a scan stopped at the fast check's limit with fewer video or audio streams
    // found than the system header announces; empty when none is missing.
    std::string missingStreamsLine() const;

  private:
    int videoBound_ = 0, audioBound_ = 0;
    int videoFound_ = 0, audioFound_ = 0;
};

} // namespace splitwick
