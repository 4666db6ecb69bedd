#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/job_events.h"
#include "engine/source_file.h"

namespace splitwick::testing {

// What a job told, event by event: its log lines, the two status panels as last set (the
// phase, the progress), every progress line, and the passes that started and ended. A test
// asks it to stop, as Cancel does.
class RecordingEvents : public JobEvents {
  public:
    void logged(const std::string& line) override { lines.push_back(line); }
    void phase(const std::string& word) override { panels[0] = word; }
    void progress(const Progress& progress) override {
        panels[1] = progress.text;
        if (progress.text.empty()) return;
        progressLines.push_back(progress.text);
        if (onProgress) onProgress();
    }
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
    bool stopRequested() const override { return stop; }
    bool passRunning() const { return source_ != nullptr; }

    std::vector<std::string> lines;
    std::array<std::string, 2> panels{"Ready", "Select or drop an EVO file to demux"};
    std::vector<std::string> progressLines; // every non-empty progress text, in order
    // Runs at each progress line, where a user watching it might press Cancel.
    std::function<void()> onProgress;
    std::function<void()> onPassStart;
    std::vector<bool> passes; // whether each pass started writes output
    std::vector<StopReason> ends;
    int64_t endPosition = 0; // of the last pass's source when it ended
    bool stop = false;       // a stop requested: the pass stops before its next chunk

  private:
    const SourceFile* source_ = nullptr;
};

} // namespace splitwick::testing
