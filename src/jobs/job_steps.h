#pragma once
#include <functional>
#include <string>

#include "engine/session.h"

namespace splitwick {

// Steps the jobs share.

// "Opening file X", "Opening", open eEVOfile as Source, [the phase word after opening],
// "File size: N Mbytes.". The caller's SourceHold closes it again.
void openEvo(Session& session, const char* phaseAfterOpening = nullptr);

// Every job's end: "Done.", "Ready" in panel 0, panel 1 emptied.
void finishJob(Session& session);

// "N frames count in video stream 0." (and 1) for each counter above 0.
void logFrameCounts(Session& session);

// Closes Source on every way out of a job's protected block.
struct SourceHold {
    explicit SourceHold(JobState& s) : state(s) {}
    ~SourceHold() { state.Source.reset(); }
    SourceHold(const SourceHold&) = delete;
    SourceHold& operator=(const SourceHold&) = delete;
    JobState& state;
};

// The first part of a split title ("..._1.EVO") whose partner ("..._2.EVO") exists when the job
// starts, with cbContinue ticked: the outputs are named after both parts, and the job goes on
// into the second (unless cbContinue is unticked or the pass cancelled meanwhile), so a partner
// that has gone since is the open error of that file, not half a title under such a name.
struct SplitTitle {
    bool hasSecondPart = false;
    std::string secondPart;
};

SplitTitle splitTitle(const Session& session);

// The stem of every output: the output folder joined with EVOname (EVOname alone for no
// folder), with "_2" behind it for a job over both parts of a split title.
std::string outputPrefix(const Session& session, const SplitTitle& title);

// Creates a job's output. Outputs are created before the second part of a split title is
// opened: one created over it (a link to it under the output's name) would empty it before it
// is read, so that is refused as a file in use, like the source itself.
OutputSlot createOutput(const SplitTitle& title, const std::string& name);

// Runs a job's pass over the open source and, when the title goes on (continueWithSecondPart),
// closes the first part, opens the second, logs "Continue on NAME" and runs the pass again.
void passOverParts(Session& session, const SplitTitle& title, const std::function<void()>& pass);

} // namespace splitwick
