#pragma once
#include <atomic>

#include "job_request.h"
#include "job_state.h"
#include "open_files.h"
#include "report.h"
#include "stream_choice.h"

namespace splitwick {

// One program's job state, the request of the job that runs and where it reports. The window,
// the command line and the tests each make one and hand it to the same jobs. A job runs on one
// thread; only the cancel request may be set from another (or from a signal handler).
class Session {
  public:
    Session(Report& r, PassObserver& p) : passes(p), report_(&r) {}

    JobState state;
    JobRequest request;
    StreamChoice streams;
    PassObserver& passes;
    // The files the running job holds open: its outputs refuse to be any of them.
    OpenFiles openFiles;
    // Set by Cancel (or a signal); a pass stops before its next chunk. Cleared as a command
    // starts, not by each pass, so a job of several passes stops as a whole.
    std::atomic<bool> cancelRequested = false;

    void log(const std::string& text) { report_->log(text); }
    void slog(const std::string& text, uint8_t panel) { report_->slog(text, panel); }
    Report& report() { return *report_; }

  private:
    friend class ReportRoute;
    Report* report_;
};

// Sends what a session reports to another report for as long as it lives: a job that does the
// work of several puts the lines of each where that one's would stand.
class ReportRoute {
  public:
    ReportRoute(Session& session, Report& report) : session_(session), previous_(session.report_) {
        session_.report_ = &report;
    }
    ~ReportRoute() { session_.report_ = previous_; }
    ReportRoute(const ReportRoute&) = delete;
    ReportRoute& operator=(const ReportRoute&) = delete;

  private:
    Session& session_;
    Report* const previous_;
};

// Every job's end: "Done.", "Ready" in panel 0, panel 1 emptied.
inline void finishJob(Session& session) {
    session.log("Done.");
    session.slog("Ready", 0);
    session.slog("", 1);
}

} // namespace splitwick
