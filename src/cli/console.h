#pragma once
#include <string>
#include <vector>

#include "engine/report.h"
#include "engine/session.h"
#include "progress_line.h"

namespace splitwick::cli {

// The message log on stdout, one line each (or kept for the JSON summary), and the progress of
// panel 1 on stderr (ProgressLine).
class ConsoleReport : public Report {
  public:
    ConsoleReport(bool keepLines, ProgressLine::Mode progress);
    // The job state whose source the progress texts are about.
    void follow(const JobState& state) { state_ = &state; }
    void log(const std::string& text) override;
    void slog(const std::string& text, uint8_t panel) override;
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    const bool keepLines_;
    ProgressLine progress_;
    const JobState* state_ = nullptr;
    std::vector<std::string> lines_;
};

// Ctrl-C, SIGTERM and SIGHUP act as the Cancel button, without the question: the running pass
// stops at its next event point and closes its files; no further job starts.
class InterruptEvents : public Events {
  public:
    InterruptEvents();
    // The session whose pass a signal cancels.
    void attach(Session& session) { session_ = &session; }
    void processPendingEvents() override;
    void repaint() override {}
    static bool interrupted();
    // 128 + the first signal that came, as a shell reports a command the signal ended.
    static int exitCode();

  private:
    Session* session_ = nullptr;
};

} // namespace splitwick::cli
