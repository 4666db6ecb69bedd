#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/frame_counter.h"
#include "engine/output_file.h"
#include "engine/session.h"
#include "engine/source_file.h"
#include "engine/stream_writer.h"
#include "engine/timing_recorder.h"

namespace splitwick {

// Steps the jobs share.

// "Opening file X", "Opening", eEVOfile opened, [the phase word after opening], "File size: N
// Mbytes.". The job owns the source from here on.
std::unique_ptr<SourceFile> openEvo(Session& session, const char* phaseAfterOpening = nullptr);

// "File size: N Mbytes."
std::string fileSizeLine(const SourceFile& source);

// A pass that was stopped counted part of the file only: its job reports no frames.
void dropCountsOfStoppedPass(FrameCounts& frames, StopReason stop);

// Ends the recorder's part and adds its timing to the title's, unless the pass was cancelled:
// that one read part of the file only, as it was asked, and reports none, as it reports no frame
// counts. A scan stopped by the fast check gives the timing of what it read. The writer, when
// given, places the subpictures it converts by the part's timing, also after a cancel.
void keepTiming(TitleTiming& timing, TimingRecorder& recorder, const std::string& file,
                StopReason stop, StreamWriter* writer = nullptr);

// "N frames count in video stream 0." (and 1) for each counter above 0.
void logFrameCounts(Report& report, const FrameCounts& frames);

// The EVOs a job reads after the chosen one into the same outputs: the later clips of a disc's
// title chosen whole, or the second part of a split title ("..._1.EVO" whose partner "..._2.EVO"
// exists when the job starts, when the request continues parts). The outputs are named after the
// title (a disc title's name, NAME_1_2), and the job goes on into each part in turn unless the pass
// stopped meanwhile , so a part that has gone
// since is the open error of that file, not part of a title under such a name.
struct SplitTitle {
    std::vector<std::string> laterParts; // paths, in their order
    std::string stem;                    // of the outputs, without folder
    bool fromDisc = false;
};

SplitTitle splitTitle(const Session& session);

// The stem of every output: the output folder joined with the title's stem (evoName, with "_2"
// behind it for a job over both parts of a split title; the name of a disc's title, made safe).
std::string outputPrefix(const Session& session, const SplitTitle& title);

// The output folder a job is about to write into (empty: the current folder) exists and can be
// written; else a JobError naming it, before any work is done.
void requireOutputFolder(const std::string& folder);

// Creates a job's output. Besides the files the session's job holds open (the source, its
// other outputs), which the output itself refuses, it must not be a later part of the title,
// which is not open yet: one created over it (a link to it under the output's name) would empty
// it before it is read, so that is refused as a file in use too.
std::unique_ptr<OutputFile> createOutput(Session& session, const SplitTitle& title,
                                         const std::string& name);
// That refusal alone, for an output that creates its file itself: "Cannot create file ...".
void refuseLaterParts(const SplitTitle& title, const std::string& name);

// After the pass over the part before: when the job goes on into later part `index` (the
// pass not stopped), that part, opened, and the line
// "Continue on NAME"; nullptr when it does not.
std::unique_ptr<SourceFile> openLaterPart(Session& session, const SplitTitle& title, size_t index,
                                          StopReason partBefore);

} // namespace splitwick
