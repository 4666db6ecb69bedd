#pragma once
#include "scan_lines.h"

namespace splitwick {

// Read EVO's side of a scan: a "found!" line for the first stream met for each table entry,
// besides the lines of every scan.
class StreamFinder : public ScanLines {
  public:
    using ScanLines::ScanLines;
    void streamFound(const StreamCodec& codec, int index) override;
};

} // namespace splitwick
