#pragma once
#include "controls.h"
#include "job_state.h"
#include "report.h"

namespace splitwick {

// One program's job state together with the window it reports to. The window, the command
// line and the tests each make one and hand it to the same jobs.
class Session {
  public:
    Session(Controls& c, Report& r, Events& e) : controls(c), events(e), report_(&r) {}

    JobState state;
    Controls& controls;
    Events& events;

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

} // namespace splitwick
