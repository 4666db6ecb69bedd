#pragma once
#include <string>

#include "engine/session.h"

namespace splitwick {

// Read EVO: scans the chosen EVO (eEVOfile) in check mode and enables, ticks and labels one
// stream box for every stream found. Writes no file. Gives why the scan ended.
StopReason bCheckClick(Session& session);

// Enables, ticks and labels the stream boxes by the streams of a scan's table, as Read EVO
// does at its end.
void labelBoxes(Controls& controls, const StreamTable& table);

// A job that writes the streams of a file fails with "No stream found in "PATH"" when Read EVO
// found none a box stands for (its table), as there is nothing such a job could write: a file
// that is no EVO at all must not end as a success. Read EVO itself reports what it found.
void requireStreams(const StreamTable& found, const std::string& evoPath);

} // namespace splitwick
