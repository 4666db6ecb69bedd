#pragma once
#include <cstdint>
#include <string>

#include "stop_reason.h"
#include "track.h"

namespace splitwick {

class SourceFile;

// How far a job has come: the line the status bar (or the command line's progress line) shows,
// and the share of its work done, for a bar.
struct Progress {
    std::string text; // empty: no progress to show
    int64_t done = 0; // over the whole job: all of a title's parts
    int64_t total = 0;
    std::string remaining; // the time left over the whole job, "0:01:10"; empty at its end
};

// What a running job tells, as it happens, on the thread that runs it: its log lines (some
// typed, so that a front-end may render them its own way), the word for what it does now, its
// progress, and when a pass over a file starts and ends. The window and the command line each
// render them; tests record them. The job also asks it, before each chunk it reads, whether it
// is to stop: a Cancel, or a signal on the command line.
class JobEvents {
  public:
    virtual ~JobEvents() = default;

    // A line of the job's log.
    virtual void logged(const std::string& line) = 0;
    // The job's phase in a word: "Opening", "Reading", "Writing stream(s)", "Ready".
    virtual void phase(const std::string& word) = 0;
    virtual void progress(const Progress& progress) = 0;

    // A stream met for the first time, with its line ("DD+ audio stream 1 found!").
    virtual void trackFound(const Track&, const std::string& line) { logged(line); }
    // An output made, with its line ("Creating PATH").
    virtual void outputCreated(const std::string& path) { logged("Creating " + path); }
    // Something went less than well and the job goes on: a line the user should read.
    virtual void warning(const std::string& line) { logged(line); }

    // Where a job's outputs went, once it has ended: "Wrote 5 files in /films/". The front-ends
    // show it as the log's last line; the job's own log ends as before.
    virtual void outputsPlaced(const std::string& /*line*/) {}

    // A long pass over a file starts: the source stays open, its position telling how far the
    // pass has come, until passEnded. A pass that writes output is stopped only after a
    // question.
    virtual void passStarted(const SourceFile&, bool /*writesOutput*/) {}
    virtual void passEnded(StopReason) {}
    virtual bool stopRequested() const { return false; }

    // Every job's end: "Done.", then "Ready", and no progress.
    void done() { ended("Done."); }
    // The end of a job stopped before it made what it was for: its line instead of "Done.".
    void stopped(const std::string& line) { ended(line); }

  private:
    void ended(const std::string& line) {
        logged(line);
        phase("Ready");
        progress({});
    }
};

} // namespace splitwick
