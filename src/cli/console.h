#pragma once
#include <string>
#include <vector>

#include "engine/job_events.h"
#include "progress_line.h"

namespace splitwick::cli {

// How the command line renders a job's events: the log's lines on stdout, one each (or kept for
// the JSON summary), the progress on stderr (ProgressLine); the tracks found are kept for a
// summary of a run that fails. Ctrl-C, SIGTERM and SIGHUP act as the Cancel button, without the
// question: the running pass stops before its next chunk and closes its files; no further job
// starts.
class ConsoleEvents : public JobEvents {
  public:
    ConsoleEvents(bool keepLines, ProgressLine::Mode progress);
    ConsoleEvents(const ConsoleEvents&) = delete;
    ConsoleEvents& operator=(const ConsoleEvents&) = delete;

    void logged(const std::string& line) override;
    void phase(const std::string&) override {}
    void progress(const Progress& progress) override;
    void trackFound(const Track& track, const std::string& line) override;
    void outputsPlaced(const std::string& line) override { logged(line); }
    bool stopRequested() const override { return interrupted(); }

    const std::vector<std::string>& lines() const { return lines_; }
    // The tracks found so far, in the order found.
    const std::vector<Track>& tracksFound() const { return tracks_; }

    static bool interrupted();
    // 128 + the first signal that came, as a shell reports a command the signal ended.
    static int exitCode();

  private:
    const bool keepLines_;
    ProgressLine progress_;
    std::vector<std::string> lines_;
    std::vector<Track> tracks_;
};

} // namespace splitwick::cli
