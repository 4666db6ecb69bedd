#pragma once
#include <string>

#include "engine/session.h"

namespace splitwick {

// Read EVO: scans the requested EVO without writing and gives each stream found its slot in the
// session's streams, known, chosen and labelled; the others are forgotten. Writes no file.
// Gives why the scan ended.
StopReason readEvo(Session& session);

// Makes the streams of a scan's table known, chosen and labelled, as Read EVO does at its end.
void labelStreams(StreamChoice& streams, const StreamTable& table);

// A job that writes the streams of a file fails with "No stream found in "PATH"" when Read EVO
// found none a box stands for (its table), as there is nothing such a job could write: a file
// that is no EVO at all must not end as a success. Read EVO itself reports what it found.
void requireStreams(const StreamTable& found, const std::string& evoPath);

} // namespace splitwick
