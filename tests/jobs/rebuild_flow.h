#pragma once
#include <map>
#include <string>
#include <vector>

#include "jobs/rebuild_state.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick::testing {

// A session that goes the window's way to a rebuild: choose the EVO, Read EVO, tick, Rebuild.
struct RebuildSession : RecordingSession {
    RebuildState rebuild;

    // Chooses the file as the file selection does (eEVOfile, EVOfile, EVOname, EVOdir).
    void choose(const std::string& evoPath);
    // Chooses and reads the file; the boxes of its streams end ticked.
    void read(const std::string& evoPath);
    void tick(Box box, bool ticked) { session.streams[box].chosen = ticked; }
    void tickAll(bool ticked);
    // Rebuilds into the folder; gives the log lines the rebuild wrote.
    std::vector<std::string> rebuildInto(const std::string& folder);
};

// A demuxed stream: its box's caption and the bytes of its output file.
struct DemuxedStream {
    std::string caption;
    Bytes bytes;
    bool operator==(const DemuxedStream&) const = default;
};

// Reads the EVO and demuxes every stream found into the folder, with the existing jobs, as the
// reference for what a rebuilt file carries. Keyed by box name, e.g. "cbAudio00".
std::map<std::string, DemuxedStream> demuxAll(const std::string& evoPath,
                                              const std::string& folder);

} // namespace splitwick::testing
