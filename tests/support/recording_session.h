#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/session.h"
#include "engine/source_file.h"

namespace splitwick::testing {

// What a job reported, line by line, and the two status panels as last set.
class RecordingReport : public Report {
  public:
    void log(const std::string& text) override { lines.push_back(text); }
    void slog(const std::string& text, uint8_t panel) override {
        panels.at(panel) = text;
        if (panel == 1 && !text.empty()) {
            progress.push_back(text);
            if (onProgress) onProgress();
        }
    }
    std::vector<std::string> lines;
    std::array<std::string, 2> panels{"Ready", "Select or drop an EVO file to demux"};
    std::vector<std::string> progress; // every non-empty panel 1 text, in order
    // Runs at each progress line, where a user watching it might press Cancel.
    std::function<void()> onProgress;
};

// Records the passes that start and end, as the window learns of them.
class RecordingPasses : public PassObserver {
  public:
    void passStarted(const SourceFile& source, bool writesOutput) override {
        passes.push_back(writesOutput);
        source_ = &source;
        if (onPassStart) onPassStart();
    }
    void passEnded(StopReason reason) override {
        ends.push_back(reason);
        endPosition = source_->position();
        source_ = nullptr;
    }
    bool passRunning() const { return source_ != nullptr; }
    std::function<void()> onPassStart;
    std::vector<bool> passes; // whether each pass started writes output
    std::vector<StopReason> ends;
    int64_t endPosition = 0; // of the last pass's source when it ended

  private:
    const SourceFile* source_ = nullptr;
};

// A session driven as the window drives it, without a window.
struct RecordingSession {
    RecordingSession();
    RecordingReport report;
    RecordingPasses events;
    Session session;
    JobState& state() { return session.state; }
    JobRequest& request() { return session.request; }
    StreamEntry& stream(Box box) { return session.streams[box]; }
    const std::vector<std::string>& lines() const { return report.lines; }
};

} // namespace splitwick::testing
