#pragma once
#include "session.h"

namespace splitwick {

// One scan of the open Source from its current position: fills the stream table, counts
// frames, and with writeFlag set (demux mode) writes the ticked streams to their open output
// slots. Stops at the end of the file, on Cancel at the next chunk, or in check mode at the
// fast-check limit. bCancel is enabled for the scan's time.
void demux(Session& session, bool writeFlag);

// Read EVO with the fast check ends after the chunk that brings the position above this.
constexpr int64_t FastCheckLimit = 300000000;

} // namespace splitwick
