#pragma once
#include "engine/session.h"

namespace splitwick {

// Read EVO: scans the chosen EVO (eEVOfile) in check mode and enables, ticks and labels one
// stream box for every stream found. Writes no file. Gives why the scan ended.
StopReason bCheckClick(Session& session);

// Enables, ticks and labels the stream boxes by the streams of a scan's table, as Read EVO
// does at its end.
void labelBoxes(Controls& controls, const StreamTable& table);

} // namespace splitwick
