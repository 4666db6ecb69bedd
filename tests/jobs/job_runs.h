#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jobs/demux_job.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "support/recording_events.h"

namespace splitwick::testing {

using Lines = std::vector<std::string>;

// The lines of a, then those of b.
Lines operator+(Lines a, const Lines& b);

// Jobs run the window's way, their events recorded: the EVO chosen, Read EVO (or Read XPL),
// boxes ticked, then a Demux or Rebuild of the ticked streams, as the reads found them.
struct WindowRuns {
    RecordingEvents events;
    JobRequest request; // the window's fields and options
    std::optional<ReadResult> read;
    std::optional<PlaylistRead> playlist;
    bool labelledByPlaylist = false;
    std::set<TrackName> ticked;
    // What the last job counted and timed: Read EVO's, else the Demux's of what it wrote.
    FrameCounts frames{};
    TitleTiming timing;

    const Lines& lines() const { return events.lines; }
    // The label of the streams of a name, as a box shows it after the last read; empty for
    // none.
    std::string label(TrackName name) const;
    void tick(TrackName name, bool ticks);
    // Labels the streams as a playlist's title would, as the window's Read XPL does: only the
    // streams named are the title's.
    void relabel(const std::map<TrackName, std::string>& labels);
    // The window's request for a Demux or Rebuild of the ticked streams.
    JobRequest streamsRequest(Writes writes) const;
};

// Chooses the EVO as the window does.
void chooseEvo(WindowRuns& rs, const std::string& path);

// Runs a job as its button does and gives the lines it logged.
Lines runJob(WindowRuns& rs, const std::function<void(WindowRuns&)>& job);
Lines readEvo(WindowRuns& rs);
Lines demuxInto(WindowRuns& rs, const std::string& workdir);
Lines rebuildInto(WindowRuns& rs, const std::string& workdir);

// The lines a job ends with for these frame counts: one per counter above 0.
Lines frameCountLines(const std::array<int64_t, 2>& frames);

// Read EVO's timing lines, behind its frame counts, for the timing of the last read.
Lines timingLines(const WindowRuns& rs);

// The same bytes in both files; on a difference, where it begins.
::testing::AssertionResult sameBytes(const std::string& expectedPath,
                                     const std::string& actualPath);

// The expected files whose names begin with prefix, e.g. "FEATURE_1_2.".
Lines withPrefix(const Lines& paths, const std::string& prefix);

// The output folder holds exactly the expected files (by name), each with the expected bytes.
void expectOutputs(const Lines& expectedFiles, const std::string& outputFolder);

} // namespace splitwick::testing
