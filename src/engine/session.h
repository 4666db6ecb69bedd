#pragma once
#include "controls.h"
#include "job_state.h"
#include "report.h"

namespace splitwick {

// One program's job state together with the window it reports to. The window, the command
// line and the tests each make one and hand it to the same jobs.
struct Session {
    Session(Controls& c, Report& r, Events& e) : controls(c), report(r), events(e) {}

    JobState state;
    Controls& controls;
    Report& report;
    Events& events;

    void log(const std::string& text) { report.log(text); }
    void slog(const std::string& text, uint8_t panel) { report.slog(text, panel); }
};

} // namespace splitwick
