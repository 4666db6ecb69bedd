#pragma once
#include <memory>
#include <string>

#include "engine/frame_counter.h"
#include "engine/job_events.h"
#include "engine/open_files.h"
#include "engine/source_file.h"
#include "engine/stream_timing.h"
#include "engine/timing_recorder.h"
#include "job_request.h"

namespace splitwick {

// What Read EVO found in the part of the file it read.
struct ReadResult {
    TrackList tracks;
    FrameCounts frames{}; // none counted when not asked for, or when the scan stopped early
    TitleTiming timing;   // of the part read; none after a cancel
    int64_t scrambledPacks = 0;
    StopReason stop = StopReason::EndOfFile;
};

// Read EVO: scans the requested EVO without writing, logging what it finds, and gives the
// tracks it met. Writes no file.
ReadResult readEvo(const JobRequest& request, JobEvents& events);

// "Opening file NAME", the phase "Opening", the EVO opened, the phase after opening (when one
// is given), "File size: N Mbytes.". The caller owns the source from here on.
std::unique_ptr<SourceFile> openEvo(JobEvents& events, OpenFiles& files, const std::string& path,
                                    const char* phaseAfterOpening);

// "File size: N Mbytes."
std::string fileSizeLine(const SourceFile& source);

// A job that writes the streams of a file fails with "No stream found in "PATH"" when its read
// met none, as there is nothing such a job could write: a file that is no EVO at all must not
// end as a success. Read EVO itself reports what it found.
void requireStreams(const TrackList& found, const std::string& evoPath);

// Ends the recorder's part and adds its timing to the title's, unless the pass was cancelled:
// that one read part of the file only, as it was asked, and reports none, as it reports no
// frame counts. A scan stopped by the fast check gives the timing of what it read. Gives the
// part's timing.
PartTiming keepTiming(TitleTiming& timing, TimingRecorder& recorder, const std::string& file,
                      StopReason stop);

} // namespace splitwick
