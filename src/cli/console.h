#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/report.h"
#include "engine/session.h"
#include "engine/two_phase_progress.h"
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
// by the mux's percentage.
class ConsoleReport : public Report {
  public:
    ConsoleReport(bool keepLines, ProgressLine::Mode progress, const InterruptEvents& events);
    void log(const std::string& text) override;
    void slog(const std::string& text, uint8_t panel) override;
    // How far the mux has come, for the progress shown next.
    void muxedPercent(int percent) { muxedPercent_ = percent; }
    // From here on the demux and the mux of target show their progress as one line.
    void inTwoPhases(const std::string& target) { twoPhases_.emplace(target); }
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    const bool keepLines_;
    ProgressLine progress_;
    const InterruptEvents& events_;
    std::vector<std::string> lines_;
    int muxedPercent_ = 0;
    std::optional<TwoPhaseProgress> twoPhases_;
};

} // namespace splitwick::cli
