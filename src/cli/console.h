#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/file_progress.h"
#include "engine/report.h"
#include "engine/session.h"
#include "progress_line.h"

namespace splitwick::cli {

// Ctrl-C, SIGTERM and SIGHUP act as the Cancel button, without the question: the running pass
// stops before its next chunk and closes its files; no further job starts.
class InterruptEvents : public PassObserver {
  public:
    InterruptEvents();
    ~InterruptEvents() override;
    InterruptEvents(const InterruptEvents&) = delete;
    InterruptEvents& operator=(const InterruptEvents&) = delete;
    // The session whose jobs a signal cancels.
    void attach(Session& session);
    void passStarted(const SourceFile& source, bool) override { source_ = &source; }
    void passEnded(StopReason) override { source_ = nullptr; }
    // The source of the pass that runs; nullptr between passes.
    const SourceFile* passSource() const { return source_; }
    static bool interrupted();
    // 128 + the first signal that came, as a shell reports a command the signal ended.
    static int exitCode();

  private:
    const SourceFile* source_ = nullptr;
};

// The message log on stdout, one line each (or kept for the JSON summary), and the progress of
// panel 1 on stderr (ProgressLine), over the source of the pass that runs or, between passes,
// with no figure.
class ConsoleReport : public Report {
  public:
    ConsoleReport(bool keepLines, ProgressLine::Mode progress, const InterruptEvents& events);
    void log(const std::string& text) override;
    void slog(const std::string& text, uint8_t panel) override;
    // From here on the progress is that of making the file target, as one line.
    void namedAfter(const std::string& target) { named_.emplace(target); }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    const bool keepLines_;
    ProgressLine progress_;
    const InterruptEvents& events_;
    std::vector<std::string> lines_;
    std::optional<FileProgress> named_;
};

} // namespace splitwick::cli
