#pragma once
#include <cstdint>
#include <string>

namespace splitwick {

// How jobs report: log appends one line to the message log; slog sets the text of status
// panel 0 (the job's phase word) or 1 (progress and detail).
class Report {
  public:
    virtual ~Report() = default;
    virtual void log(const std::string& text) = 0;
    virtual void slog(const std::string& text, uint8_t panel) = 0;
};

// The window's side of a long scan: jobs run on the window's thread and let it breathe only at
// fixed points (every 4 MiB read); that is when Cancel can be pressed.
class Events {
  public:
    virtual ~Events() = default;
    virtual void processPendingEvents() = 0;
    virtual void repaint() = 0;
};

} // namespace splitwick
