#pragma once
#include <cstdint>
#include <string>

#include "stop_reason.h"

namespace splitwick {

class SourceFile;

// How jobs report: log appends one line to the message log; slog sets the text of status
// panel 0 (the job's phase word) or 1 (progress and detail).
class Report {
  public:
    virtual ~Report() = default;
    virtual void log(const std::string& text) = 0;
    virtual void slog(const std::string& text, uint8_t panel) = 0;
};

// The window's side of a long pass over a file: jobs run on the window's thread and let it
// breathe only at fixed points (every 4 MiB read); that is when Cancel can be pressed. The
// window learns when a pass starts and ends, and decides what it enables meanwhile.
class Events {
  public:
    virtual ~Events() = default;
    virtual void processPendingEvents() = 0;
    virtual void repaint() = 0;
    // A pass over the source begins; one that writes output is stopped only after a question.
    // The source stays open, and its position tells the pass's progress, until passEnded.
    virtual void passStarted(const SourceFile& source, bool writesOutput) = 0;
    virtual void passEnded(StopReason reason) = 0;
};

} // namespace splitwick
