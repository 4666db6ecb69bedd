#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/plain_controls.h"
#include "engine/session.h"

namespace splitwick::testing {

// What a job reported, line by line, and the two status panels as last set.
class RecordingReport : public Report {
  public:
    void log(const std::string& text) override { lines.push_back(text); }
    void slog(const std::string& text, uint8_t panel) override {
        panels.at(panel) = text;
        if (panel == 1 && !text.empty()) progress.push_back(text);
    }
    std::vector<std::string> lines;
    std::array<std::string, 2> panels{"Ready", "Select or drop an EVO file to demux"};
    std::vector<std::string> progress; // every non-empty panel 1 text, in order
};

// Counts the points where a scan lets the window breathe; a test may act there, as a user
// pressing Cancel would.
class RecordingEvents : public Events {
  public:
    void processPendingEvents() override {
        ++pumps;
        if (onPump) onPump();
    }
    void repaint() override { ++repaints; }
    int pumps = 0;
    int repaints = 0;
    std::function<void()> onPump;
};

// A session driven as the window drives it, without a window.
struct RecordingSession {
    RecordingSession();
    PlainControls controls;
    RecordingReport report;
    RecordingEvents events;
    Session session;
    JobState& state() { return session.state; }
    const std::vector<std::string>& lines() const { return report.lines; }
};

} // namespace splitwick::testing
