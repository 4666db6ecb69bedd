#pragma once
#include <QProcess>
#include <QTemporaryFile>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/remaining_time.h"
#include "engine/report.h"
#include "jobs/mux_plan.h"
#include "mkvmerge_output.h"

namespace splitwick {

enum class MuxEnd { Muxed, Cancelled, Failed };

struct MuxOutcome {
    MuxEnd end;
    std::string error; // the text the user is shown when the mux failed
};

// What the command line takes apart from the report: mkvmerge's progress as its figure, for
// a progress line that steps by it, and its warnings, for stderr. Either may be left empty.
struct MuxListeners {
    std::function<void(int percent)> progressed;         // before the progress text is shown
    std::function<void(const std::string& text)> warned; // instead of the log line
};

// Runs mkvmerge over a plan while the event loop goes on: the window stays live and its
// Cancel button can stop the mux. Progress goes to status panel 1, mkvmerge's warnings to the
// log, where the window keeps each job's record, unless listeners take them. mkvmerge writes into a
// partial file of its run's own, STEM.mkv.XXXXXX.part, that is renamed to the plan's output only
// when mkvmerge succeeded (with or without warnings); a failure or a cancel removes it, so no
// partial file ever carries the final name and runs into one folder do not meet.
class MuxRunner : private MkvmergeListener {
  public:
    // Called once a started mux has ended, from the event loop. It must not destroy the
    // runner (a queued call can).
    using Finished = std::function<void(const MuxOutcome&)>;

    MuxRunner(Report& report, Finished finished, MuxListeners listeners = {});
    // A mux still running is stopped as a cancel stops it, without a call to finished.
    ~MuxRunner() override;
    MuxRunner(const MuxRunner&) = delete;
    MuxRunner& operator=(const MuxRunner&) = delete;

    // Starts mkvmerge and returns at once. Throws JobError when mkvmerge is not installed, the
    // plan has no track or its options cannot be written: then nothing has started and
    // finished is not called.
    void start(const MuxPlan& plan);
    // Stops mkvmerge; finished follows with a cancel once it has stopped and its partial file
    // is gone. Nothing when no mux runs.
    void cancel();
    bool running() const { return running_; }

  private:
    void progress(int percent) override;
    void warning(const std::string& text) override;
    void error(const std::string& text) override;

    void createPartial(const std::string& output);
    void writeOptions(const MuxPlan& plan);
    void readOutput();
    void exited(int exitCode, QProcess::ExitStatus status);
    void failedToStart();
    // The outcome of an mkvmerge that ran to its end, the output renamed when it succeeded.
    MuxOutcome outcome(int exitCode, QProcess::ExitStatus status);
    // "mkvmerge failed to write "STEM.mkv": " and why.
    MuxOutcome failed(const std::string& why) const;
    void finish(const MuxOutcome& outcome);
    void removePartial() const;

    Report& report_;
    const Finished finished_;
    const MuxListeners listeners_;
    QProcess process_;
    MkvmergeOutput output_;
    std::unique_ptr<QTemporaryFile> options_;
    std::optional<PassClock> clock_;
    std::string target_, partial_;
    std::vector<std::string> errors_;
    int percentShown_ = -1;
    bool running_ = false;
    bool cancelled_ = false;
};

// mkvmerge's path; throws JobError when it cannot be run, which the mux commands check before
// their demux, not after it.
QString requireMkvmerge();

// The command line's way to mux: runs an event loop until mkvmerge has ended, and stops it
// once stopRequested answers true (asked every tenth of a second, e.g. after Ctrl-C). Gives
// Muxed or Cancelled; a failure is thrown as a JobError with its text.
MuxEnd muxAndWait(const MuxPlan& plan, Report& report, const std::function<bool()>& stopRequested,
                  const MuxListeners& listeners = {});

} // namespace splitwick
