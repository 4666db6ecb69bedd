#pragma once
#include <map>
#include <string>
#include <vector>

#include "job_runs.h"
#include "support/test_files.h"

namespace splitwick::testing {

// Jobs that go the window's way to a rebuild: choose the EVO, Read EVO, tick, Rebuild.
struct RebuildSession : WindowRuns {
    // Chooses the file as the file selection does.
    void choose(const std::string& evoPath) { chooseEvo(*this, evoPath); }
    // Chooses and reads the file; the boxes of its streams end ticked.
    void read(const std::string& evoPath);
    void tickAll(bool ticks);
    // Rebuilds into the folder; gives the log lines the rebuild wrote.
    Lines rebuildInto(const std::string& folder) { return testing::rebuildInto(*this, folder); }
};

// A demuxed stream: its label and the bytes of its output file.
struct DemuxedStream {
    std::string caption;
    Bytes bytes;
    bool operator==(const DemuxedStream&) const = default;
};

// Reads the EVO and demuxes every stream found into the folder, with the existing jobs, as the
// reference for what a rebuilt file carries. Keyed by stream name, e.g. "cbAudio00".
std::map<std::string, DemuxedStream> demuxAll(const std::string& evoPath,
                                              const std::string& folder);

} // namespace splitwick::testing
